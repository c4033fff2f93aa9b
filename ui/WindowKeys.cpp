// The window's keyboard shortcuts.
#include "WindowKeys.h"

#include "Application.h"
#include "SectionHistory.h"
#include "SourceTabs.h"
#include "TKW.h"

#include <QShortcut>

namespace {
constexpr int KeyedTabs = 9;
}

void InstallWindowKeys(TForm1* Form)
{
    QObject::connect(new QShortcut(Qt::Key_F5, Form), &QShortcut::activated, Form->Button1,
                     &QPushButton::click);
    for (int Tab = 0; Tab < KeyedTabs; ++Tab)
        QObject::connect(new QShortcut(Qt::CTRL | Qt::Key(Qt::Key_1 + Tab), Form), &QShortcut::activated,
                         Form, [Form, Tab] {
                             if (Tab < Form->PageControl1->count())
                                 Form->PageControl1->setCurrentIndex(Tab);
                         });
    QObject::connect(new QShortcut(Qt::CTRL | Qt::Key_Q, Form), &QShortcut::activated, Form,
                     [Form] { TApplication::Guarded([Form] { Form->Exit1Click(); }); });
    QObject::connect(new QShortcut(Qt::CTRL | Qt::Key_H, Form), &QShortcut::activated, Form, [Form] {
        TApplication::Guarded([Form] {
            Form->History->OpenWindow(SourceOfTab(Form->PageControl1, Form->PageControl1->currentIndex()));
        });
    });
}
