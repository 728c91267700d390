#pragma once

#include <QString>
#include <QStringList>

// The five status bar texts for a port number and the settings text the serial control holds,
// e.g. "Porta Seriale:  COM1", "Baudrate:  9600", "Parità:  NESSUNA", "Bit DATI:  8",
// "Bit STOP:  1". Parity, data bits and stop bits are the single characters at fixed distances
// from the first comma.
QStringList statusBarTexts(int port, const QString &settings);

// "NESSUNA" for n/N, "PARI", "DISPARI", "MARK", "SPACE"; any other letter is shown as it is.
QString parityWord(QChar letter);
