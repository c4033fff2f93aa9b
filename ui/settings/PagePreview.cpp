// The preview of a page file.
#include "PagePreview.h"

#include "WebBrowser.h"

#include <QFile>
#include <QLabel>
#include <QVBoxLayout>

TPagePreview::TPagePreview() : Info(new QLabel), View(new TWebBrowser)
{
    Info->setObjectName(QStringLiteral("PreviewInfo"));
    // The session id shown here comes from the page: never read as markup.
    Info->setTextFormat(Qt::PlainText);
    Info->setWordWrap(true);
    Info->setTextInteractionFlags(Qt::TextSelectableByMouse);
    View->setObjectName(QStringLiteral("Preview"));
    auto* Layout = new QVBoxLayout(this);
    Layout->setContentsMargins(0, 0, 0, 0);
    Layout->addWidget(Info);
    Layout->addWidget(View, 1);
}

void TPagePreview::ShowPage(const QString& Name, const std::string& Bytes)
{
    if (Show(Name, Bytes))
        Info->setText(QStringLiteral("Podgląd pliku %1: %2 bajtów").arg(Name).arg(Bytes.size()));
}

void TPagePreview::ShowText(const QString& Text)
{
    // The page shown before must not stay in view.
    if (!View->Address().isEmpty())
        Show(QStringLiteral("pusta.htm"), {});
    Info->setText(Text);
}

// Writes Bytes to a file of the preview's own folder and shows it; false, with the reason shown,
// when the file cannot be written.
bool TPagePreview::Show(const QString& Name, const std::string& Bytes)
{
    QFile File(Folder.filePath(Name));
    if (!File.open(QIODevice::WriteOnly) ||
        File.write(Bytes.data(), static_cast<qint64>(Bytes.size())) != static_cast<qint64>(Bytes.size())) {
        Info->setText(QStringLiteral("Nie można zapisać podglądu: ") + File.errorString());
        return false;
    }
    File.close();
    View->Navigate(File.fileName());
    return true;
}
