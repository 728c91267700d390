#pragma once

#include <QFileDevice>
#include <QString>

// Why a file could not be read or written, in the operator's words (Qt's own are English).
QString fileErrorText(QFileDevice::FileError error);
