#pragma once

#include <QStringList>

// One subcommand of the simulator program: it gets the arguments after its name and returns the exit code.
using TSimCommand = int (*)(const QStringList& slArgs);

// qxmeter-sim serial --link PATH ...: a serial meter on a pseudo-terminal.
int RunSerialSimulator(const QStringList& slArgs);
// qxmeter-sim network --port N ...: a network meter with a terminal login on 127.0.0.1.
int RunNetworkSimulator(const QStringList& slArgs);
