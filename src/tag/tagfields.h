#pragma once

#include <array>

// The seven tag information fields, in the order of the page and of the printed label, with
// every name each is known by.
namespace tagfields {

struct Field
{
    const char *objectName;    // the field, "txtDSFId"
    const char *labelName;     // its caption on the page, "Label3"
    const char *caption;       // as the page shows it, "DSFID............."
    const char *name;          // as operators and screen readers name it, "DSFID"
    const char *printCaption;  // as the tag information label prints it, "DSF ID:"
};

// Their positions in kFields.
enum Index { kDataSets, kDsfid, kMemSize, kTrType, kAfi, kIcRef, kUid };

inline constexpr int kCount = 7;
inline constexpr std::array<Field, kCount> kFields = {{
    {"txtDataSets", "Label1", "DATA-SETS", "DATA-SETS", "DATA-SETS:"},
    {"txtDSFId", "Label3", "DSFID.............", "DSFID", "DSF ID:"},
    {"txtMemSize", "Label6", "MEM-SIZE....", "MEM-SIZE", "MEM-SIZE:"},
    {"txtTrType", "Label2", "TR-TYPE.......", "TR-TYPE", "TR-TIPE:"},
    {"txtAFI", "Label4", "AFI..................", "AFI", "AFI:"},
    {"txtIcRef", "Label7", "IC-REF...........", "IC-REF", "IC-REF:"},
    {"txtUId", "Label5", "UID...................", "UID", "UID:"},
}};

}  // namespace tagfields
