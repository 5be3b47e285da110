#pragma once
// Where every control of the main window goes for a client size and DPI, and the colours of the
// owner-drawn action buttons. Pure arithmetic on design units at 96 DPI.

#include <array>
#include <cstdint>

#include "base/dpi_scaling.h"
#include "ui/control_table.h"

struct ControlPlacement {
    int id = 0;
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

using WindowLayout = std::array<ControlPlacement, kControlCount>;

// The placement of every control of the table, in creation order.
WindowLayout computeLayout(int clientWidth, int clientHeight, int dpi);

// Client size of a fresh window and the minimum outer tracking size.
int initialClientWidth(int dpi);
int initialClientHeight(int dpi);
int minimumTrackWidth(int dpi);
int minimumTrackHeight(int dpi);

struct ButtonColour {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
};
bool operator==(const ButtonColour& a, const ButtonColour& b);

// Fill colour of an owner-drawn button: by id, grey when disabled, darker while pressed.
ButtonColour actionButtonColour(int controlId, bool enabled, bool pressed);
