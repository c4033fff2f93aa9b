// TErrorBoxRecorder: while it lives, error boxes are recorded instead of shown modally.
#pragma once

#include "Application.h"

#include <QStringList>

class TErrorBoxRecorder
{
public:
    TErrorBoxRecorder()
    {
        TApplication::SetErrorBoxHook([this](const QString& Text) { Texts.append(Text); });
    }
    ~TErrorBoxRecorder() { TApplication::SetErrorBoxHook({}); }

    QStringList Texts;
};
