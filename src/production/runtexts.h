#pragma once

#include "production/production.h"

#include <QByteArray>
#include <QList>
#include <QString>

// What the production dialog and the end of a run say, as text: the summary, the run's list of
// tags, the template box and the notes beside the options. The dialog only shows them.
namespace runtexts {

// "1 tag riuscito, 2 falliti": each count agrees with its number.
QString counts(int succeeded, int failed);

// A tag written (in part or whole) whose verification or label was cut short.
struct UnfinishedTag
{
    int sequence = 0;
    QByteArray uid;
    QString serial;  // empty without a serial number
    QString result;  // as logged
};

struct Summary
{
    int succeeded = 0;
    int failed = 0;
    QString logPath;
    QList<UnfinishedTag> unfinished;
    QList<production::ValueRange> skipped;
    QString note;  // a tag left out of the log, if any
};
// The text after "Produzione terminata: " and its kin.
QString summary(const Summary &s);

// How a tag ended, as the run's list marks it.
enum class Mark { Ok, Failed, Unfinished };
// A row of the run's list. A tag that did not succeed says so in words ("FALLITO:", "NON
// COMPLETATO:"), not only in the colour the list gives it.
QString listLine(int sequence, const QByteArray &uid, const QString &serial, const QString &result,
                 Mark mark);

// The template box: each ticked row with its bytes as written (characters where they print, and
// hexadecimal), or, for a row the serial number writes over, that it is replaced; then where the
// serial number goes.
QString templateListing(const QList<RowBytes> &rows, const production::SerialNumber *serial);

// Beside "Etichetta" when none is chosen: nothing advances the roll.
QString noLabelNote();

}  // namespace runtexts
