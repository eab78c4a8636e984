#include "engine/UDPSender.h"

#include "engine/EngineMessages.h"

#include <QThread>

TUDPSender::TUDPSender(int iUDPPort, const TTimingSettings& rTiming, const TCancelToken* pCancel)
    : UDP(std::make_unique<QUdpSocket>()), iUDPPort(iUDPPort), iPauseMs(rTiming.iDatagramPauseMs),
      pCancelToken(pCancel) {
    UDP->bind(QHostAddress(QHostAddress::LocalHost), 0);
}

void TUDPSender::SendUDPMessage(int iCode, const QString& sText) {
    UDP->writeDatagram(EncodeEngineDatagram(iCode, sText), QHostAddress(QHostAddress::LocalHost),
                       quint16(iUDPPort));
    if (iPauseMs <= 0)
        return;
    if (pCancelToken)
        pCancelToken->SleepFor(iPauseMs);
    else
        QThread::msleep(iPauseMs);
}
