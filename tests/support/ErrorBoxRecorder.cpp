// Recording hook for the application's error box.
#include "ErrorBoxRecorder.h"

#include "Application.h"

TErrorBoxRecorder::TErrorBoxRecorder()
{
    TApplication::SetErrorBoxHook([this](const QString& Text) { Texts.append(Text); });
}

TErrorBoxRecorder::~TErrorBoxRecorder()
{
    TApplication::SetErrorBoxHook({});
}
