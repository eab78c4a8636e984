#include "engine/UDPSender.h"

#include "engine/EngineMessages.h"

#include <QThread>

TUDPSender::TUDPSender(int iUDPPort, const TTimingSettings& rTiming)
    : UDP(std::make_unique<QUdpSocket>()), iUDPPort(iUDPPort), iPauseMs(rTiming.iDatagramPauseMs) {
    UDP->bind(QHostAddress(QHostAddress::LocalHost), 0);
}

void TUDPSender::SendUDPMessage(int iCode, const QString& sText) {
    UDP->writeDatagram(EncodeEngineDatagram(iCode, sText), QHostAddress(QHostAddress::LocalHost),
                       quint16(iUDPPort));
    if (iPauseMs > 0)
        QThread::msleep(iPauseMs);
}
