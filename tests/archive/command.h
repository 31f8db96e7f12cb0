#pragma once
// rida-archive run as a real process, as a user runs it: the test's database
// and page folder, passwords on standard input.

#include "tests/archive/fixture.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>

#include <gtest/gtest.h>
#include <unistd.h>

namespace rida::archive::testing {

struct CommandRun {
    int status = -1;
    QString out, err;
};

class ArchiveCommand : public ArchiveTest {
public:
    // rida-archive with the test's database and page folder, HOME and the XDG
    // folders inside the test's folder, `input` on standard input, and no
    // terminal (a session of its own).
    CommandRun run(const QStringList& args, const QByteArray& input = {}, bool withLocation = true)
    {
        QProcess process;
        process.setChildProcessModifier([] { ::setsid(); });
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), path(QStringLiteral("home")));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), path(QStringLiteral("home/.config")));
        env.insert(QStringLiteral("XDG_DATA_HOME"), path(QStringLiteral("home/.local/share")));
        process.setProcessEnvironment(env);
        QStringList all;
        if (withLocation)
            all << QStringLiteral("--database") << databasePath() << QStringLiteral("--pages") << pagesPath();
        all << args;
        process.start(QStringLiteral(RIDA_BIN_DIR "/rida-archive"), all);
        EXPECT_TRUE(process.waitForStarted());
        process.write(input);
        process.closeWriteChannel();
        EXPECT_TRUE(process.waitForFinished(60000));
        CommandRun r;
        r.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        r.out = QString::fromUtf8(process.readAllStandardOutput());
        r.err = QString::fromUtf8(process.readAllStandardError());
        return r;
    }
    // As the administrator made by init().
    CommandRun asAdmin(QStringList args, const QByteArray& moreInput = {})
    {
        return run(QStringList{QStringLiteral("--user"), QStringLiteral("관리자")} + args, "admin-pw\n" + moreInput);
    }
    void init()
    {
        const CommandRun r =
            run({QStringLiteral("init"), QStringLiteral("--admin"), QStringLiteral("관리자")}, "admin-pw\nadmin-pw\n");
        ASSERT_EQ(r.status, 0) << r.err.toStdString();
    }
};

} // namespace rida::archive::testing
