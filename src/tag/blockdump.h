#pragma once

#include "link/printercommands.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <array>
#include <optional>

// A copy of the block grid in a file, in one of two forms chosen by the file's extension:
// - .bin: the raw dump other ISO 15693 tools read and write, exactly 112 bytes, block 1 first,
//   each block its four bytes (a short field padded as a write pads it, an empty one four blanks);
// - .json: {"format", "version", "saved" (ISO 8601), "uid" (hex, when known), "blocks": 28 strings
//   of 8 hex digits, or null for a field that held nothing read or typed}.
namespace blockdump {

inline constexpr int kBinSize = printer::kTagBlocks * printer::kBlockSize;
inline constexpr char kFormat[] = "v4400-tag-rf-blocchi";
inline constexpr int kVersion = 1;
inline constexpr int kUidSize = 8;

// Each block's four bytes; nothing for an empty field.
using Blocks = std::array<std::optional<QByteArray>, printer::kTagBlocks>;

enum class Kind { Unknown, Bin, Json };
// By the extension, in any case.
Kind kindOf(const QString &path);

QByteArray toBin(const Blocks &blocks);
QByteArray toJson(const Blocks &blocks, const QDateTime &saved, const QByteArray &uid);

// On failure: false, and `why` says what is wrong with the content, in the operator's words.
bool fromBin(const QByteArray &content, Blocks *blocks, QString *why);
// `uid`, when given, receives the UID the copy records (empty when it records none).
bool fromJson(const QByteArray &content, Blocks *blocks, QString *why, QByteArray *uid = nullptr);

}  // namespace blockdump
