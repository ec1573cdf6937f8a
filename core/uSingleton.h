#pragma once
// Base of the application-wide single objects. Such an object must outlive
// every user of it, so the ordinary way of freeing it fails loudly; only the
// unit that owns it destroys it, at program end, through DestroyInstance.
#include "platform/SysUtils.h"

class TSingleton
{
public:
    TSingleton() = default;
    TSingleton(const TSingleton &) = delete;
    TSingleton &operator=(const TSingleton &) = delete;

    // The ordinary destruction: always raises "Direct execution of a
    // singleton class destructor." and leaves the object alive.
    void Free();

    // The owner's destruction: frees what the object owns and the object.
    // Descendants that own other objects release them in their destructor.
    void DestroyInstance();

protected:
    // Not public: a single object cannot be deleted by its users.
    virtual ~TSingleton() = default;

private:
    bool Guard = false;
};

// The single object a unit keeps in Slot, made by Create on first use.
template <class T, class Create>
T *SingleInstance(T *&Slot, Create create)
{
    if (!Slot)
        Slot = create();
    return Slot;
}

// The owner's freeing of the single object in Slot, which is then empty.
template <class T>
void FreeSingleInstance(T *&Slot)
{
    if (Slot)
        Slot->DestroyInstance();
    Slot = nullptr;
}
