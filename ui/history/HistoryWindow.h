// THistoryWindow: the stored versions of one source, newest first, each shown from its stored
// bytes in a page view like the tab's, with its passages that are new against the version before
// it marked; the selected version can be saved as a page file.
#pragma once

#include "HistoryStore.h"

#include <QTemporaryDir>
#include <QWidget>

class QLabel;
class QListWidget;
class QPushButton;
class THistory;
class TWebBrowser;

class THistoryWindow : public QWidget
{
    Q_OBJECT
public:
    // A window of Parent's, titled "Historia zmian — " + the caption of Source's tab; reads the
    // versions of Source from History at once, and again each time it is shown.
    THistoryWindow(THistory& History, int Source, QWidget* Parent);

    QListWidget* Versions;
    TWebBrowser* VersionView;
    QPushButton* SaveButton;
    QLabel* Status;

    // The stored bytes of the selected version; empty until they are read.
    const QByteArray& Selected() const { return FSelected; }
    // Asks where to save the selected version, and saves it there.
    void SaveAs();

protected:
    void showEvent(QShowEvent* Event) override;

private:
    void Reload();
    void Select(int Row);
    void Move(int By);

    THistory& FHistory;
    int FSource;
    QTemporaryDir FFiles; // the versions shown, as local page files
    QByteArray FSelected;
    qint64 FSelectedId = 0;
};

// One row of the list: local date and time, size, and "+N / −M".
QString VersionRow(const TVersionInfo& Version);
