#pragma once

// Every command the program sends the printer, and the answer it relies on. Commands go out
// followed by CR LF; answers are recognised by their length alone. The simulated printer answers
// from the same table.
namespace printer {

// Printer query: model, then firmware release. Any non-empty answer counts; the last character
// is not shown. The printer search takes only an answer that can be a model (modelReplyFault).
inline constexpr char kQueryModel[] = "?54&10";
inline constexpr int kModelReplyLength = 11;
inline constexpr double kModelLimit = 0.5;
inline constexpr double kQuerySettle = 0.5;
inline constexpr char kQueryRelease[] = "?54&4";
inline constexpr int kReleaseReplyLength = 8;
inline constexpr double kReleaseLimit = 0.5;

// Tag requests relayed to the RF module. Whatever the preamble answers counts towards the
// Inventory and System information replies.
inline constexpr char kRfPreamble[] = "?R1&2,1";
inline constexpr double kRfPreamblePause = 0.5;
inline constexpr char kInventory[] = "?R2&1,0";
inline constexpr int kInventoryReplyLength = 14;  // 2 data sets, 3 type, 4 DSFID, 5-12 UID
inline constexpr char kSystemInformation[] = "?R2&2B,0";
inline constexpr int kSystemInformationReplyLength = 16;  // 2 DSFID, 3-10 UID, 11 AFI,
                                                          // 12-13 memory size, 14 IC reference
inline constexpr double kTagReplyLimit = 1.5;
inline constexpr char kReadBlockPrefix[] = "?R2&23,";  // + block + ",1"
inline constexpr int kReadBlockReplyLength = 10;       // 4 status (0 = read), 5-8 data
inline constexpr double kReadBlockPause = 0.2;
inline constexpr char kWriteBlockPrefix[] = "?R2&24,";  // + block + ",1," + four data bytes
inline constexpr double kWriteBlockPause = 0.1;         // the answer is not read

// Label commands: nothing is read back.
inline constexpr char kLabelReset[] = "?00&";
inline constexpr char kLabelBegin[] = "?81&1";
inline constexpr char kLabelText[] = "?52&";  // N1,N2,N3,N4,N5;text
inline constexpr char kLabelFormat1[] = "?09&2";
inline constexpr char kLabelFormat2[] = "?10&1";
inline constexpr char kLabelFormat3[] = "?11&2";
inline constexpr char kLabelFormat4[] = "?13&2";
inline constexpr char kLabelPrint[] = "?14&1";
inline constexpr char kLabelEnd[] = "?81&0";
inline constexpr double kLabelFieldPause = 0.2;

inline constexpr int kTagBlocks = 28;
inline constexpr int kBlockSize = 4;

}  // namespace printer
