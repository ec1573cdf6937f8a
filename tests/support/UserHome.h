#pragma once
// Points the user's folders (HOME and the XDG variables) into a throw-away
// folder, so that no test reads or writes the real ones.
#include "tests/support/TempProgramDir.h"

#include <QFile>
#include <QList>

#include <iterator>

// The user's folders of the test: the XDG variables (or HOME alone) point
// into a throw-away folder while the object lives.
class UserHome
{
public:
    enum Kind {
        XdgVariables,
        HomeOnly
    };
    explicit UserHome(Kind Use = XdgVariables)
    {
        for (const char *name : Names)
            m_saved.append(qgetenv(name));
        qputenv("HOME", QFile::encodeName(Home.file("home")));
        if (Use == XdgVariables) {
            qputenv("XDG_CONFIG_HOME", QFile::encodeName(Home.file("config")));
            qputenv("XDG_DATA_HOME", QFile::encodeName(Home.file("data")));
        } else {
            qunsetenv("XDG_CONFIG_HOME");
            qunsetenv("XDG_DATA_HOME");
        }
    }
    ~UserHome()
    {
        for (int i = 0; i < int(std::size(Names)); ++i)
            if (m_saved[i].isNull())
                qunsetenv(Names[i]);
            else
                qputenv(Names[i], m_saved[i]);
    }
    UserHome(const UserHome &) = delete;
    UserHome &operator=(const UserHome &) = delete;
    QString Config() const { return Home.file("config/tandorel/"); }
    QString Data() const { return Home.file("data/tandorel/"); }

    TempProgramDir Home;

private:
    static constexpr const char *Names[] = {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME"};
    QList<QByteArray> m_saved;
};
