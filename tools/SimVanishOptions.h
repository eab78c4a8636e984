#pragma once

#include "tools/sim/SimVanish.h"

#include <QCommandLineOption>
#include <QCommandLineParser>

// The options that make a simulated meter vanish and come back, alike for every kind of link.
class TSimVanishOptions {
public:
    TSimVanishOptions();
    void AddTo(QCommandLineParser& rParser) const;
    // The configuration the options ask for; false and a refusal text when they do not fit together.
    bool Read(const QCommandLineParser& rParser, TSimVanishConfig& rConfig, QString& sError) const;

private:
    QCommandLineOption optAfter;
    QCommandLineOption optFor;
    QCommandLineOption optEvery;
};
