// The options page's list of notification channels and the dialog that adds one.
#include "ChannelListBox.h"

#include "Channel.h"
#include "Channels.h"
#include "SecretStore.h"

#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QUuid>
#include <QVBoxLayout>

namespace {
QLineEdit* ChannelField(const char* Name, const QString& Hint)
{
    auto* Edit = new QLineEdit;
    Edit->setObjectName(QString::fromLatin1(Name));
    Edit->setPlaceholderText(Hint);
    return Edit;
}

// Asks for a new channel and its secret; nothing when the user cancels.
std::optional<std::pair<TChannel, QString>> AskChannel(QWidget* Parent)
{
    QDialog Dialog(Parent);
    Dialog.setWindowTitle(QStringLiteral("Nowy kanał powiadomień"));
    auto* Kind = new QComboBox;
    Kind->setObjectName(QStringLiteral("ChannelKind"));
    Kind->addItems(
        {KindName(TChannelKind::Ntfy), KindName(TChannelKind::Webhook), KindName(TChannelKind::Email)});
    QLineEdit* Address =
        ChannelField("ChannelAddress", QStringLiteral("https://ntfy.sh/temat, smtps://serwer:465"));
    QLineEdit* User = ChannelField("ChannelUser", QStringLiteral("login serwera poczty"));
    QLineEdit* To = ChannelField("ChannelTo", QStringLiteral("adresy odbiorców, po przecinku"));
    QLineEdit* Secret = ChannelField("ChannelSecret", QStringLiteral("token ntfy lub hasło poczty"));
    Secret->setEchoMode(QLineEdit::Password);
    auto* Problem = new QLabel;
    Problem->setObjectName(QStringLiteral("ChannelProblem"));
    Problem->setWordWrap(true);
    Address->setMinimumWidth(360);
    auto* Buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    Buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("Dodaj"));
    Buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Anuluj"));
    auto* Form = new QFormLayout(&Dialog);
    Form->addRow(QStringLiteral("Rodzaj"), Kind);
    Form->addRow(QStringLiteral("Adres"), Address);
    Form->addRow(QStringLiteral("Użytkownik"), User);
    Form->addRow(QStringLiteral("Odbiorcy"), To);
    Form->addRow(QStringLiteral("Token / hasło"), Secret);
    Form->addRow(Problem);
    Form->addRow(Buttons);
    TChannel Channel;
    QObject::connect(Buttons, &QDialogButtonBox::rejected, &Dialog, &QDialog::reject);
    QObject::connect(Buttons, &QDialogButtonBox::accepted, &Dialog, [&] {
        const bool Email = Kind->currentIndex() == 2;
        Channel = {*KindOf(Kind->currentText()),
                   Address->text().trimmed(),
                   Email ? User->text().trimmed() : QString(),
                   Email ? To->text().split(QLatin1Char(','), Qt::SkipEmptyParts) : QStringList(),
                   true,
                   {},
                   QUuid::createUuid().toString(QUuid::WithoutBraces)};
        for (QString& Recipient : Channel.To)
            Recipient = Recipient.trimmed();
        QString Reason = ChannelProblem(Channel);
        if (Reason.isEmpty() && Email && !Channel.User.isEmpty() && Secret->text().isEmpty())
            Reason = QStringLiteral("podaj hasło do serwera poczty");
        Problem->setText(Reason);
        if (Reason.isEmpty())
            Dialog.accept();
    });
    if (Dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return std::pair{Channel, TakesSecret(Channel) ? Secret->text() : QString()};
}
} // namespace

TChannelListBox::TChannelListBox(QWidget* Parent)
    : QGroupBox(QStringLiteral("Kanały powiadomień"), Parent), List(new QListWidget),
      RemoveButton(new QPushButton(QStringLiteral("Usuń"))),
      TestButton(new QPushButton(QStringLiteral("Wyślij próbę"))),
      Warning(new QLabel(QStringLiteral("Uwaga: wiadomości do adresu http:// idą niezaszyfrowane."))),
      Sender(new TChannels(this))
{
    List->setObjectName(QStringLiteral("Channels"));
    RemoveButton->setObjectName(QStringLiteral("RemoveChannel"));
    TestButton->setObjectName(QStringLiteral("TestChannel"));
    Warning->setObjectName(QStringLiteral("ChannelWarning"));
    Warning->setWordWrap(true);
    auto* AddButton = new QPushButton(QStringLiteral("Dodaj"));
    AddButton->setObjectName(QStringLiteral("AddChannel"));
    auto* Buttons = new QHBoxLayout;
    Buttons->addWidget(AddButton);
    Buttons->addWidget(RemoveButton);
    Buttons->addWidget(TestButton);
    Buttons->addStretch(1);
    auto* Layout = new QVBoxLayout(this);
    Layout->addWidget(List);
    Layout->addLayout(Buttons);
    Layout->addWidget(Warning);
    connect(AddButton, &QPushButton::clicked, this, &TChannelListBox::Add);
    connect(RemoveButton, &QPushButton::clicked, this, &TChannelListBox::Remove);
    connect(TestButton, &QPushButton::clicked, this, [this] {
        QListWidgetItem* Item = List->currentItem();
        if (!Item)
            return;
        const QSignalBlocker Quiet(List);
        Item->setText(Item->text().section(QLatin1Char('\n'), 0, 0) + QStringLiteral("\nwysyłanie próby…"));
        Sender->SendTest(Item->data(Qt::UserRole).toString());
    });
    connect(List, &QListWidget::itemChanged, this,
            [this](QListWidgetItem* Item) { Toggle(List->row(Item), Item->checkState() == Qt::Checked); });
    connect(List, &QListWidget::currentRowChanged, this, [this](int Row) {
        RemoveButton->setEnabled(Row >= 0);
        TestButton->setEnabled(Row >= 0);
    });
    connect(Sender, &TChannels::Finished, this, &TChannelListBox::Reload);
    Reload();
}

void TChannelListBox::Reload()
{
    QSettings Settings = ChannelSettings();
    const std::vector<TChannel> Channels = LoadChannels(Settings);
    const int Current = List->currentRow();
    const QSignalBlocker Quiet(List);
    List->clear();
    bool Plain = false;
    for (const TChannel& Channel : Channels) {
        QString Text = KindName(Channel.Kind) + QStringLiteral(": ") + Channel.Address;
        if (!Channel.To.isEmpty())
            Text += QStringLiteral(" → ") + Channel.To.join(QStringLiteral(", "));
        if (!Channel.LastResult.isEmpty())
            Text += QLatin1Char('\n') + Channel.LastResult;
        auto* Item = new QListWidgetItem(Text, List);
        Item->setFlags(Item->flags() | Qt::ItemIsUserCheckable);
        Item->setCheckState(Channel.On ? Qt::Checked : Qt::Unchecked);
        Item->setData(Qt::UserRole, Channel.Key);
        Plain = Plain || Unencrypted(Channel);
    }
    List->setCurrentRow(std::min(Current, List->count() - 1));
    RemoveButton->setEnabled(List->currentRow() >= 0);
    TestButton->setEnabled(List->currentRow() >= 0);
    Warning->setVisible(Plain);
}

void TChannelListBox::Add()
{
    const auto Asked = AskChannel(this);
    if (!Asked)
        return;
    const auto& [Channel, Secret] = *Asked;
    if (!Secret.isEmpty()) {
        const TSecretAnswer Answer = WriteSecretNow(Channel.Key, Secret);
        if (!Answer.Ok && !Answer.NoService) {
            QMessageBox::warning(this, QStringLiteral("Kanały powiadomień"), Answer.Error);
            return;
        }
        // Without a Secret Service the secret may live in memory until the program ends, never on disk.
        if (!Answer.Ok) {
            if (QMessageBox::question(this, QStringLiteral("Kanały powiadomień"),
                                      Answer.Error +
                                          QStringLiteral(". Zachować hasło tylko do końca tej sesji "
                                                         "programu? Nie zostanie zapisane na dysku.")) !=
                QMessageBox::Yes)
                return;
            KeepSecretForSession(Channel.Key, Secret);
        }
    }
    QSettings Settings = ChannelSettings();
    std::vector<TChannel> Channels = LoadChannels(Settings);
    Channels.push_back(Channel);
    SaveChannels(Settings, Channels);
    Reload();
    List->setCurrentRow(List->count() - 1);
}

void TChannelListBox::Remove()
{
    const int Row = List->currentRow();
    QSettings Settings = ChannelSettings();
    std::vector<TChannel> Channels = LoadChannels(Settings);
    if (Row < 0 || Row >= int(Channels.size()))
        return;
    RemoveSecretNow(Channels[Row].Key);
    Channels.erase(Channels.begin() + Row);
    SaveChannels(Settings, Channels);
    Reload();
}

void TChannelListBox::Toggle(int Row, bool On)
{
    QSettings Settings = ChannelSettings();
    std::vector<TChannel> Channels = LoadChannels(Settings);
    if (Row < 0 || Row >= int(Channels.size()))
        return;
    Channels[Row].On = On;
    SaveChannels(Settings, Channels);
}
