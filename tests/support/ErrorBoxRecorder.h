// TErrorBoxRecorder: while it lives, error boxes are recorded instead of shown modally.
#pragma once

#include <QString>
#include <QStringList>

class TErrorBoxRecorder
{
public:
    TErrorBoxRecorder();
    ~TErrorBoxRecorder();
    TErrorBoxRecorder(const TErrorBoxRecorder&) = delete;
    TErrorBoxRecorder& operator=(const TErrorBoxRecorder&) = delete;

    QStringList Texts;
};
