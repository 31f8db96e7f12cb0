#pragma once
// The program's command line. Without options it starts the demonstration
// build; the archive edition is asked for by name:
//
//   rida [--archive] [--database URL|PATH] [--pages DIR]
//
// --database and --pages name the archive as rida-archive takes them (they
// imply --archive); where the archive is found otherwise: archive/location.h.

#include <QString>
#include <QStringList>

namespace rida::app {

struct ProgramOptions {
    bool archive = false;
    QString database; // --database, empty when not given
    QString pages;    // --pages, empty when not given
    bool help = false;
    QString error; // a usage error in Korean; empty when the line is fine
};

// `arguments` as QCoreApplication holds them: the program first, Qt's own options taken out.
ProgramOptions parseProgramOptions(const QStringList& arguments);

extern const char* const kProgramUsage;

} // namespace rida::app
