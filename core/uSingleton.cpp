#include "core/uSingleton.h"

void TSingleton::Free()
{
    if (!Guard)
        throw Exception(QStringLiteral("Direct execution of a singleton class destructor."));
}

void TSingleton::DestroyInstance()
{
    Guard = true;
    delete this;
}
