#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

// The printer's label command language: "?NN&" commands, and the text command that places one
// piece of text on the label.
namespace labelcommands {

// "?52&" N1 (two digits), N2..N5 (plain decimal) ";" then the text exactly as given: nothing is
// escaped or trimmed, and an empty text leaves the command ending with ";".
QString textCommand(int n1, int n2, int n3, int n4, int n5, const QString &text);

// Why a text cannot go on a label. A control character (codes 0 to 31 and 127) prints as nothing
// any label shows, and CR or LF among them would end the text command early and hand the rest to
// the printer as a command of its own; a character beyond code 255 has no byte to go out as.
// The first such character decides.
enum class TextFault {
    None,
    ControlCharacter,
    NotSingleByte,
};
TextFault textFault(QStringView text);

// Rounds to the nearest integer, a tie to the even neighbour (682.5 gives 682).
int roundHalfEven(double value);

// Tag information label: the command line sits at 720; the first field line 37.5 lower, rounded;
// each printed field moves the next one 25 lower.
inline constexpr int kCommandLine = 720;
inline constexpr int kCaptionColumn = 10;
inline constexpr int kValueColumn = 150;
inline constexpr int kFieldLineStep = 25;
int firstFieldLine();

// The label that marks a tag that failed: "ANNULLATO" on the command line of the tag information
// label, and the UID on its first field line when given.
QStringList voidLabel(const QString &uid);

// The block data label, complete: header, format commands and the data line carrying the texts
// of rows 1 and 2 joined.
QStringList blockLabel(const QString &row1, const QString &row2);

}  // namespace labelcommands
