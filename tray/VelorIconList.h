// TVelorIconList: the tray icon's animation frames, an ordered list of owned icon images (an entry
// may be empty), with an update counter, a change event and a stored form of raw bytes.
#pragma once

#include "Icon.h"
#include "Persistent.h"

#include <functional>
#include <memory>
#include <vector>

class QIODevice;

class TVelorIconList : public TPersistent
{
public:
    TVelorIconList() = default;
    ~TVelorIconList() override;
    TVelorIconList(const TVelorIconList&) = delete;
    TVelorIconList& operator=(const TVelorIconList&) = delete;

    // Changes between BeginUpdate and the matching EndUpdate report one change at the end.
    void BeginUpdate();
    void EndUpdate();
    // Calls OnChange unless an update is in progress.
    virtual void Changed();

    // Entry at Index, nullptr for an empty entry; an Index outside 0 .. Count - 1 is an EListError.
    virtual TIcon* Items(int Index) const;
    virtual int Count() const;
    // Copies Image into the entry at Index; Index == Count appends an entry first.
    virtual void SetItems(int Index, const TIcon* Image);
    // Appends a copy of Image (nullptr: an empty image) and returns its index.
    virtual int Add(const TIcon* Image);
    virtual void Clear();
    virtual void Delete(int Index);
    virtual void Exchange(int Index1, int Index2);
    // Position of that very image object, -1 when it is not in the list.
    virtual int IndexOf(const TIcon* Image) const;
    virtual void Insert(int Index, const TIcon* Image);
    virtual void Move(int CurIndex, int NewIndex);

    // nullptr empties the list; another list or a single TIcon replaces the entries with copies;
    // anything else is an EConvertError.
    void Assign(const TPersistent* Source) override;
    QString ClassName() const override { return QStringLiteral("TVelorIconList"); }

    // The stored form, all integers signed 32-bit little-endian: the entry count, then per entry
    // the byte size of its icon file (0 for an empty entry or image) and those bytes.
    void WriteData(QIODevice& Stream) const;
    // Replaces the entries with those of a stored form. Data that is short or corrupt raises an
    // EReadError and leaves the list empty; nothing is read past the data and no buffer is made
    // bigger than the data that is actually there.
    void ReadData(QIODevice& Stream);

    std::function<void(TVelorIconList* Sender)> OnChange;

private:
    void CheckIndex(int Index) const;
    std::unique_ptr<TIcon> NewEntry();

    int FUpdateCount = 0;
    std::vector<std::unique_ptr<TIcon>> FItems;
};
