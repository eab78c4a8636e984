// The meter simulator: imitates the meters the program talks to, for tests and for trying the program
// without hardware. Each kind of link is a subcommand in a file of its own.

#include "tools/SimCommands.h"

#include <QCoreApplication>
#include <cstdio>

namespace {

struct TSimCommandEntry {
    const char* sName;
    TSimCommand fnRun;
    const char* sSummary;
};

const TSimCommandEntry kCommands[] = {
    {"serial", RunSerialSimulator, "a serial meter on a pseudo-terminal (serial --help for its options)"},
    {"network", RunNetworkSimulator, "a network meter on 127.0.0.1 (network --help for its options)"},
};

int Usage() {
    std::fprintf(stderr, "usage: qxmeter-sim <command> [options]\ncommands:\n");
    for (const TSimCommandEntry& Entry : kCommands)
        std::fprintf(stderr, "  %-8s %s\n", Entry.sName, Entry.sSummary);
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication App(argc, argv);
    const QStringList slArgs = App.arguments();
    if (slArgs.size() < 2)
        return Usage();
    for (const TSimCommandEntry& Entry : kCommands)
        if (slArgs.at(1) == QLatin1String(Entry.sName))
            return Entry.fnRun(slArgs.mid(1));
    return Usage();
}
