// The download worker of a source's page.
#include "PageWorker.h"

#include "Sciager.h"
#include "SiteConstants.h"

TSciager* NewPageWorker(const std::string& Address)
{
    auto* Worker = new TSciager;
    Worker->SetURL(Address);
    Worker->SetMode(TDownloadMode::dmToString);
    Worker->SetUserAgent(std::string(AgentName));
    return Worker;
}
