#pragma once

#include "printermodel.h"

#include <QObject>
#include <QString>

class QSocketNotifier;

// The simulated printer on a serial device: a new pseudo-terminal (the program connects to its
// other side, path()) or an existing device such as a real serial port.
class PtyPrinter : public QObject
{
    Q_OBJECT
public:
    explicit PtyPrinter(QObject *parent = nullptr);
    ~PtyPrinter() override;

    bool openPty(QString *error);
    bool openDevice(const QString &device, QString *error);
    // Where the program connects: the other side of the pseudo-terminal, or the device itself.
    QString path() const { return m_path; }
    bool isOpen() const { return m_fd >= 0; }
    // The line settings the program has set on its side of the pseudo-terminal, in the form
    // "19200,n,8,2"; empty for a device that is not our pseudo-terminal.
    QString programLineSettings() const;
    // The device disappears: the program's side sees a hang-up.
    void close();

    // Noise on the line beside the answers, as from a printer that streams status or a line that
    // picks up interference: `bytes` bytes of every value, sent as fast as the other side takes
    // them. noiseSent() once the last has gone.
    void sendNoise(qint64 bytes);
    // On our pseudo-terminal: bytes sent that the program has not read yet.
    int unreadByProgram() const;

    PrinterModel &model() { return m_engine.model; }
    PrinterEngine &engine() { return m_engine; }

Q_SIGNALS:
    void bytesReceived(const QByteArray &bytes);
    // `bytes` have just been written; emitted right after the write returns.
    void bytesSent(const QByteArray &bytes);
    void noiseSent();

private:
    void onReadable();
    void onWritable();
    void write(const QByteArray &bytes);
    bool watch(QString *error);

    PrinterEngine m_engine;
    int m_fd = -1;
    int m_peerFd = -1;  // our own handle on the other side, so it never hangs up on us
    QSocketNotifier *m_notifier = nullptr;
    QSocketNotifier *m_noiseNotifier = nullptr;
    qint64 m_noiseLeft = 0;
    QString m_path;
};
