#pragma once

#include <array>

namespace pellbrook {

// Identifiers of the dialog's controls.
enum ControlId : int {
    RestartButton = 1,
    CloseButton = 2,
    NormalChoice = 1001,
    DsRepairChoice = 1004,
    MinimalChoice = 1009,
    NetworkChoice = 1010,
    WebLink = 1011,
    Unaddressed = 65535,
};

// Images of the dialog, by resource number.
enum ImageId : int {
    NoImage = 0,
    ComputerIcon = 103,
    DsRepairIcon = 104,
    NetworkIcon = 105,
    SafeModeIcon = 106,
    BannerBitmap = 107,
};

enum class ControlKind {
    DefaultButton,
    Button,
    Icon,
    EtchedLine,
    Label,
    Choice, // an exclusive choice whose text wraps over several lines
    Link,
    Banner,
};

// One control of the dialog: position and size in dialog units.
struct DialogControl {
    int id;
    ControlKind kind;
    const char* text; // UTF-8
    int image;
    int x;
    int y;
    int width;
    int height;
};

inline constexpr int dialogWidth = 346;
inline constexpr int dialogHeight = 250;
inline constexpr const char* dialogCaption = "Pellbrook - Выбор режима следующей загрузки";

// Every control in tab and stacking order.
const std::array<DialogControl, 18>& safeModeDialogControls();

} // namespace pellbrook
