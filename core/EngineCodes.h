#pragma once

// The numbers exchanged between the logging thread and the main window. They are an interface between two
// threads (and, for the text messages, a loopback UDP port any local process can reach), so every number
// has its name here and appears nowhere else.

// Engine events: the thread reports a state it reached or a failure to show.
enum TEngineEvent : int {
    kEventConnecting = 1,
    kEventConnected = 3,
    kEventIdle = 4,
    kEventReady = 5,
    kEventLoggingStarted = 6,
    kEventLoggingEnded = 7,
    kEventLogging = 8,
    kEventConnectionClosed = 9,
    kEventTimeout = 10,
    kEventNetworkNoAnswer = 11,
    kEventLoginRefused = 12,
    kEventPortNotOpened = 16,
    kEventNoInstrument = 17,
    kEventLoggingNotSupported = 18,
    kEventSetupMenuShown = 21,
    kEventWaitingStartTC = 22,
    kEventWaitingStopTC = 23,
    kEventPaused = 24,
    kEventTimecodeStopped = 25,
};

// Events the main window answers with a message or log line about a failure of the meter or its port.
inline bool BlamesTheMeter(int iCode) {
    switch (iCode) {
    case kEventTimeout:
    case kEventNetworkNoAnswer:
    case kEventPortNotOpened:
    case kEventNoInstrument:
    case kEventLoggingNotSupported:
    case kEventSetupMenuShown:
        return true;
    default:
        return false;
    }
}

// Engine commands: the main window steers the thread.
enum TEngineCommand : int {
    kEngineCommandStart = 104,
    kEngineCommandStop = 105,
    kEngineCommandClose = 110,
    kEngineCommandTCChanged = 112,
    kEngineCommandPause = 113,
};

// States of the logging thread; the thread posts its state as an engine event of the same number.
enum TThreadState : int {
    kThreadStateCreated = 0,
    kThreadStateConnecting = 4,
    kThreadStateReady = 5,
    kThreadStateLogging = 8,
    kThreadStateClosing = 9,
    kThreadStateFailed = 10,
    kThreadStateWaitingStartTC = 22,
};

// Text message codes: byte 0 of an engine datagram.
enum TEngineMessage : int {
    kMessageLog = 10,
    kMessageInstrumentName = 13,
    kMessageSerialNumber = 14,
    kMessageLevelRecord = 15,
    kMessageLoudnessSetup = 16,
    kMessageInstrumentInfo = 17,
    kMessageTimeCode = 18,
};

// The thread number carried by events and datagrams: the program runs at most one logging thread.
inline constexpr int kThreadNumber = 0;
// High half of an engine event's first parameter.
inline constexpr int kEngineEventMarker = 106;
