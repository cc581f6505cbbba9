#pragma once

#include <QStringList>

namespace kvt::cli {

// The commands on configuration files. Each takes its command name
// followed by its arguments and returns the exit status.
int runNew(const QStringList &args);
int runCheck(const QStringList &args);
int runShow(const QStringList &args);
int runBuild(const QStringList &args); // buildcommands.cpp
int runSet(const QStringList &args);   // buildcommands.cpp
int runDiff(const QStringList &args);  // diffcommand.cpp

} // namespace kvt::cli
