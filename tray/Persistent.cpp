// TPersistent's fallback copy rules.
#include "Persistent.h"

namespace {
[[noreturn]] void CannotAssign(const QString& SourceName, const QString& DestName)
{
    throw EConvertError(QStringLiteral("Cannot assign a %1 to a %2").arg(SourceName, DestName).toStdString());
}
} // namespace

void TPersistent::Assign(const TPersistent* Source)
{
    if (Source == nullptr)
        CannotAssign(QStringLiteral("nil"), ClassName());
    Source->AssignTo(this);
}

void TPersistent::AssignTo(TPersistent* Dest) const
{
    CannotAssign(ClassName(), Dest->ClassName());
}
