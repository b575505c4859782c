#pragma once

#include "ConverterModel.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QtGlobal>

#include <memory>

// How the simulated converter behaves. Everything can be changed while it runs.
struct SimOptions
{
    ConverterModel model = ConverterModel::OstrelX;
    int turnaroundMs = 2;      // pause between the end of a request and the reply
    bool pacing = true;        // reply at the model's configuration bit rate
    bool silent = false;       // never answer
    int drop = 0;              // ignore the first N requests
    bool badCheck = false;     // wrong check byte in data replies
    bool wrongAck = false;     // acknowledge with another command code
    int splitMs = 0;           // send each reply in two parts this far apart
    int trickleMs = 0;         // send each reply one byte at a time, this far apart
    int trailing = 0;          // junk bytes after each reply
    int truncate = 0;          // drop the last N bytes of data replies
    bool noCanConfig = false;  // never answer command 0x05
    bool garbageFirst = false; // junk bytes before the first reply
    // The CAN configuration block reply stops after its first half, as if
    // its peer went; the rest goes out at the next request, ahead of the
    // answer, as from a converter still sending when a new peer speaks.
    bool keepSending = false;
    QString logFile;   // one hex line per frame received and sent
    QString stateFile; // blocks loaded at start, saved after each write
};

// A converter on the master side of a pseudo-terminal, served by its own
// thread. Clients open slavePath() like any serial device.
class COstrelSimulator
{
public:
    explicit COstrelSimulator(const SimOptions& options = {});
    ~COstrelSimulator(); // stops the thread and closes the pty
    COstrelSimulator(const COstrelSimulator&) = delete;
    COstrelSimulator& operator=(const COstrelSimulator&) = delete;

    bool start(); // false when no pty could be opened
    void stop();
    QString slavePath() const;

    SimOptions options() const;
    void setOptions(const SimOptions& options); // also resets the drop counter

    // Valid frames received, in order (each complete, check byte included).
    QList<QByteArray> receivedFrames() const;
    int requestCount(quint8 code) const; // valid frames received with this code
    QByteArray rawReceived() const;      // every byte received, noise included
    void clearHistory();

    // The next request (of any command, once complete) is answered with
    // exactly these bytes instead of the normal reply; queued replies are
    // used one per request, in order. For tests of odd replies.
    void queueRawReply(const QByteArray& bytes);

    QByteArray parameterBlock() const; // 28 bytes
    QByteArray canConfigBlock() const; // 2080 bytes
    void setParameterBlock(const QByteArray& block);
    void setCanConfigBlock(const QByteArray& block);

    static QByteArray DefaultParameterBlock(ConverterModel model);
    static QByteArray DefaultCanConfigBlock();

private:
    class Impl;
    std::unique_ptr<Impl> m_impl;
};
