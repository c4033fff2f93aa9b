// Page tabs and their sources.
#include "SourceTabs.h"

#include "SourceTable.h"

#include <QTabWidget>
#include <QVariant>

namespace {
constexpr const char* SourceProperty = "tkwSource";
}

void SetTabSource(QWidget* Page, int Source)
{
    Page->setProperty(SourceProperty, Source);
}

int SourceOfTab(const QTabWidget* Tabs, int Tab)
{
    if (Tab < 0 || Tab >= Tabs->count())
        return -1;
    if (Tab < SourceCount)
        return Tab;
    const QVariant Source = Tabs->widget(Tab)->property(SourceProperty);
    return Source.isValid() ? Source.toInt() : -1;
}

int TabOfSource(const QTabWidget* Tabs, int Source)
{
    if (Source >= 0 && Source < SourceCount)
        return Source;
    for (int Tab = SourceCount; Tab < Tabs->count(); ++Tab)
        if (SourceOfTab(Tabs, Tab) == Source)
            return Tab;
    return -1;
}

QString TabCaption(const QTabWidget* Tabs, int Source)
{
    const int Tab = TabOfSource(Tabs, Source);
    return Tab < 0 ? QString() : Tabs->tabText(Tab).replace(QStringLiteral("&&"), QStringLiteral("&"));
}
