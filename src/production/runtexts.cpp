#include "production/runtexts.h"

#include "link/printercommands.h"

#include <QDir>
#include <QStringList>

#include <algorithm>

namespace runtexts {

QString counts(int succeeded, int failed)
{
    return QStringLiteral("%1 tag %2, %3 %4")
        .arg(succeeded)
        .arg(succeeded == 1 ? QLatin1String("riuscito") : QLatin1String("riusciti"))
        .arg(failed)
        .arg(failed == 1 ? QLatin1String("fallito") : QLatin1String("falliti"));
}

QString summary(const Summary &s)
{
    QString text = counts(s.succeeded, s.failed) + QLatin1Char('.') +
                   QStringLiteral("\nRegistro: %1").arg(QDir::toNativeSeparators(s.logPath));
    if (!s.unfinished.isEmpty()) {
        text += s.unfinished.size() == 1 ? QStringLiteral("\nScritto ma non completato:")
                                         : QStringLiteral("\nScritti ma non completati:");
        for (const UnfinishedTag &t : s.unfinished) {
            text += QStringLiteral("\n- tag n. %1, UID %2")
                        .arg(t.sequence)
                        .arg(blockdata::toHex(t.uid));
            if (!t.serial.isEmpty())
                text += QStringLiteral(", numero di serie %1").arg(t.serial);
            text += QStringLiteral(": %1").arg(t.result);
        }
    }
    if (!s.skipped.isEmpty())
        text += QStringLiteral("\nNumeri di serie saltati (i loro byte contengono 0D o 0A, che "
                               "non possono stare in un comando): %1.")
                    .arg(production::valueRanges(s.skipped));
    if (!s.note.isEmpty())
        text += QLatin1Char('\n') + s.note;
    return text;
}

QString listLine(int sequence, const QByteArray &uid, const QString &serial, const QString &result,
                 Mark mark)
{
    QString marked;
    switch (mark) {
    case Mark::Ok: break;
    case Mark::Failed: marked = QStringLiteral("FALLITO: "); break;
    case Mark::Unfinished: marked = QStringLiteral("NON COMPLETATO: "); break;
    }
    return QStringLiteral("%1  %2  %3  %4%5")
        .arg(sequence, 4)
        .arg(blockdata::toHex(uid), serial, marked, result);
}

namespace {

bool printable(const QByteArray &bytes)
{
    return std::all_of(bytes.begin(), bytes.end(), [](char c) { return c >= 0x20 && c < 0x7F; });
}

}  // namespace

QString templateListing(const QList<RowBytes> &rows, const production::SerialNumber *serial)
{
    QStringList lines;
    if (rows.isEmpty())
        lines << QStringLiteral("Nessun blocco selezionato nella griglia.");
    else
        lines << QStringLiteral("Dalla griglia, come li scriverebbe ora \"SCRIVI\":");
    for (const RowBytes &r : rows) {
        QString line = QStringLiteral("Blocco %1: ").arg(r.row + 1);
        const QByteArray bytes = blockdata::padded(r.bytes);
        if (production::covers(serial, r.row))
            line += QStringLiteral("sostituito dal numero di serie");
        else if (printable(bytes))
            line +=
                QStringLiteral("«%1» %2").arg(QString::fromLatin1(bytes), blockdata::toHex(bytes));
        else
            line += blockdata::toHex(bytes);
        lines << line;
    }
    if (serial) {
        const int first = serial->row + 1;
        lines << (serial->width > printer::kBlockSize
                      ? QStringLiteral("Numero di serie nei blocchi %1 e %2.")
                            .arg(first)
                            .arg(first + 1)
                      : QStringLiteral("Numero di serie nel blocco %1.").arg(first));
    }
    return lines.join(QLatin1Char('\n'));
}

QString noLabelNote()
{
    return QStringLiteral("Senza etichetta la stampante non fa avanzare il rotolo: dopo ogni tag "
                          "sostituirlo a mano sull'antenna.");
}

}  // namespace runtexts
