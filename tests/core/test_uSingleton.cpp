#include "core/uSingleton.h"

#include <gtest/gtest.h>

namespace {
class Probe : public TSingleton
{
public:
    explicit Probe(bool *destroyed) : m_destroyed(destroyed) {}

protected:
    ~Probe() override { *m_destroyed = true; }

private:
    bool *m_destroyed;
};
} // namespace

TEST(Singleton, OrdinaryFreeFailsAndKeepsTheObject)
{
    bool destroyed = false;
    auto *p = new Probe(&destroyed);
    try {
        p->Free();
        FAIL() << "Free must raise";
    } catch (const Exception &e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Direct execution of a singleton class destructor."));
    }
    EXPECT_FALSE(destroyed);
    p->DestroyInstance();
    EXPECT_TRUE(destroyed);
}
