#pragma once

#include <QIcon>
#include <QImage>

// The tool's icon: one 256 x 256 picture with 32 bits per pixel, drawn at start.
QImage appIconImage();
QIcon appIcon();
