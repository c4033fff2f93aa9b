// TPersistent: the copy-from protocol shared by the tray's images, frame list and components, and the
// errors that the tray's classes raise.
#pragma once

#include <QString>
#include <stdexcept>

// An index outside a list's bounds.
class EListError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// A copy-from between classes that do not know each other.
class EConvertError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// Image bytes that are not a readable icon file.
class EInvalidGraphic : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// A stored frame list that is short or corrupt.
class EReadError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

class TPersistent
{
public:
    virtual ~TPersistent() = default;

    // Copies Source into this object. The base knows no source and asks Source to copy itself into
    // this one; when neither side knows the other, EConvertError "Cannot assign a X to a Y".
    virtual void Assign(const TPersistent* Source);

    virtual QString ClassName() const = 0;

protected:
    // Copies this object into Dest; the base raises the "Cannot assign" error.
    virtual void AssignTo(TPersistent* Dest) const;
};
