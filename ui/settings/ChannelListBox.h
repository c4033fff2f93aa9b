// TChannelListBox: the "Kanały powiadomień" list of the options page: each channel with its on/off
// and last result, "Dodaj", "Usuń", "Wyślij próbę", and a warning for addresses without TLS. Every
// change goes to the settings at once, as the secrets it stores cannot wait for "Zapisz".
#pragma once

#include <QGroupBox>

class QLabel;
class QListWidget;
class QPushButton;
class TChannels;

class TChannelListBox : public QGroupBox
{
public:
    explicit TChannelListBox(QWidget* Parent = nullptr);

private:
    void Reload();
    void Add();
    void Remove();
    void Toggle(int Row, bool On);

    QListWidget* List;
    QPushButton* RemoveButton;
    QPushButton* TestButton;
    QLabel* Warning;
    TChannels* Sender;
};
