#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

// Tag requests relayed through the printer, and the decoding of their replies into display text.
// Reply characters stand for bytes: a character's code is the byte's value.
namespace tagcodec {

// " 224": a blank, then the code in decimal.
QString decimalByte(QChar c);
// Each character's decimal form followed by two blanks: codes 1, 2, 3 give " 1   2   3  ".
QString byteList(QStringView chars);
// " **": the field is not delivered by the last command.
inline constexpr char kPlaceholder[] = " **";

// What a successful Inventory or System information shows in the seven tag fields and the
// last-command label, and each field's decoded meaning (empty for a placeholder).
struct TagInfo
{
    QString dataSets, trType, dsfid, uid, afi, memSize, icRef;
    QString command;
    QByteArray uidBytes;  // as the reply gives them, most significant first
    QString dataSetsTip, trTypeTip, dsfidTip, uidTip, afiTip, memSizeTip, icRefTip;
};
// `reply` must hold exactly the expected number of characters (14 and 16).
TagInfo decodeInventory(const QString &reply);
TagInfo decodeSystemInformation(const QString &reply);

// "?R2&23,4,1" reads block 4 (the row "Blocco 5").
QString readBlockRequest(int block);
// "?R2&24,4,1," + the four data characters.
QString writeBlockRequest(int block, const QString &data);
// The four data characters of a 10-character read reply.
QString blockReplyData(const QString &reply);
// True when the 10-character read reply says the block was read (status code 0).
bool blockReadOk(const QString &reply);

}  // namespace tagcodec
