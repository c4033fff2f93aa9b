// Which source a page tab shows. The five tabs come first, in source order; the page of a tab of
// one's own carries its source index, so that tabs can come and go and move.
#pragma once

#include <QString>

class QTabWidget;
class QWidget;

// Marks Page as the tab page of Source.
void SetTabSource(QWidget* Page, int Source);
// The source of tab Tab, -1 for none.
int SourceOfTab(const QTabWidget* Tabs, int Tab);
// The tab of Source, -1 when it has none (a source of one's own that is off or removed).
int TabOfSource(const QTabWidget* Tabs, int Source);
// The caption of Source as its tab shows it, a "&&" read as "&".
QString TabCaption(const QTabWidget* Tabs, int Source);
