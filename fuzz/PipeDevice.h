// TPipeDevice: a read-only sequential device that notes its largest read and what was taken.
#pragma once

#include <QIODevice>
#include <cstring>

class TPipeDevice : public QIODevice
{
public:
    explicit TPipeDevice(QByteArray Data) : FData(std::move(Data))
    {
        open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    }
    bool isSequential() const override { return true; }
    qint64 Consumed() const { return FAt; }
    qint64 LargestRead = 0;

protected:
    qint64 readData(char* To, qint64 MaxSize) override
    {
        LargestRead = std::max(LargestRead, MaxSize);
        const qint64 Count = std::min<qint64>(MaxSize, FData.size() - FAt);
        if (Count <= 0)
            return -1;
        std::memcpy(To, FData.constData() + FAt, std::size_t(Count));
        FAt += Count;
        return Count;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    QByteArray FData;
    qint64 FAt = 0;
};
