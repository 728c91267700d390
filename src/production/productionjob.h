#pragma once

#include "production/productionrun.h"

#include <QByteArray>
#include <QString>

// A whole production job in a file (.json), saved with "Salva lavoro..." and opened again with
// "Apri lavoro...": {"format", "version", "template": [{"row": 1-28, "data": 8 hex digits}],
// "count", "untilStopped", "serial": null or {"row", "width", "form": "decimale"|"binario",
// "start"}, "verify", "label": "nessuna"|"informazioni"|"blocchi", "onFailure": "ferma"|
// "annulla", "log"}. Rows are counted from 1, as the grid shows them.
namespace productionjob {

inline constexpr char kFormat[] = "v4400-tag-rf-lavoro";
inline constexpr int kVersion = 1;
inline constexpr qint64 kLimit = 1 << 20;

QByteArray toJson(const ProductionPlan &plan);
// Every field checked; on failure false, `why` says what is wrong and `plan` is untouched.
bool fromJson(const QByteArray &content, ProductionPlan *plan, QString *why);

}  // namespace productionjob
