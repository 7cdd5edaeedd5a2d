// SPDX-License-Identifier: GPL-3.0-or-later
#include "DialogResources.h"

using K = ControlKind;

const DialogTemplate& AboutDialogTemplate() {
    static const DialogTemplate layout{100, "About Tachyon", 170, 62, {
        {0, K::Icon, "", 14, 14, 21, 20},
        {0, K::StaticText, "Tachyon  v1.1.5", 42, 14, 114, 8},
        {0, K::StaticText, "Written by the Tachyon developers", 42, 26, 114, 8},
        {1, K::DefaultPushButton, "OK", 113, 41, 50, 14},
    }};
    return layout;
}

const DialogTemplate& MainDialogTemplate() {
    static const DialogTemplate layout{102, "Tachyon", 279, 249, {
        {1000, K::ComboBox, "", 7, 7, 261, 30},
        {1001, K::TabControl, "", 0, 24, 279, 192, kStyleNotTabStop},
        {1002, K::PushButton, "Set", 6, 228, 48, 14},
        {1006, K::PushButton, "+", 54, 228, 12, 14},
        {1003, K::PushButton, "Reset", 78, 228, 48, 14},
        {1004, K::PushButton, "Load", 144, 228, 30, 14},
        {1005, K::PushButton, "Save", 174, 228, 30, 14},
        {1, K::DefaultPushButton, "Exit", 226, 228, 45, 14},
        {1100, K::StaticText, "Text", 12, 216, 248, 8, kStyleHidden | kStyleEllipsis},
    }};
    return layout;
}

const DialogTemplate& TuningPageTemplate() {
    static const DialogTemplate layout{105, "", 281, 226, {
        {1007, K::Edit, "", 30, 24, 24, 12},
        {1008, K::Edit, "", 60, 24, 24, 12},
        {1009, K::Edit, "", 30, 42, 24, 12},
        {1010, K::Edit, "", 60, 42, 24, 12},
        {1013, K::ComboBox, "", 24, 78, 96, 30},
        {1015, K::CheckBox, " Enabled", 51, 115, 43, 10},
        {1011, K::Edit, "", 192, 24, 24, 12},
        {1012, K::Edit, "", 192, 60, 24, 12},
        {1014, K::Edit, "", 192, 96, 24, 12},
        {0, K::GroupBox, "Frequency (MHz)", 12, 12, 120, 48},
        {0, K::GroupBox, "Voltage (mV)", 144, 12, 120, 30},
        {0, K::GroupBox, "GPU Power (%)", 144, 48, 120, 30},
        {0, K::GroupBox, "Memory Timing Level", 12, 66, 120, 30},
        {0, K::StaticText, "GFX", 90, 24, 18, 8},
        {0, K::StaticText, "Memory", 90, 42, 30, 8},
        {0, K::GroupBox, "TDC (%)", 144, 84, 120, 30},
        {0, K::GroupBox, "Smart Access Memory", 12, 102, 120, 30},
    }};
    return layout;
}

const DialogTemplate& FanPageTemplate() {
    static const DialogTemplate layout{108, "", 290, 224, {
        {1023, K::Edit, "", 42, 30, 24, 12},
        {1024, K::Edit, "", 78, 30, 24, 12},
        {1025, K::Edit, "", 42, 48, 24, 12},
        {1026, K::Edit, "", 78, 48, 24, 12},
        {1027, K::Edit, "", 42, 66, 24, 12},
        {1028, K::Edit, "", 78, 66, 24, 12},
        {1029, K::Edit, "", 42, 84, 24, 12},
        {1030, K::Edit, "", 78, 84, 24, 12},
        {1031, K::Edit, "", 42, 102, 24, 12},
        {1032, K::Edit, "", 78, 102, 24, 12},
        {1035, K::CheckBox, " Zero RPM", 180, 30, 49, 10},
        {1033, K::Edit, "", 42, 144, 24, 12},
        {1034, K::Edit, "", 42, 162, 24, 12},
        {1036, K::Edit, "", 42, 180, 24, 12},
        {0, K::GroupBox, "Fan Settings", 144, 12, 120, 36},
        {0, K::GroupBox, "Fan Curve (% / \u00B0C)", 12, 12, 120, 114},
    }};
    return layout;
}

// The static texts beside an edit or a list stand 2 units lower than the resource places them: the
// resource's texts are 8 units high beside 12-unit controls, and this keeps their text on the
// control's line with this platform's fonts.
const DialogTemplate& GraphicsPageTemplate() {
    static const DialogTemplate layout{109, "", 281, 393, {
        {1048, K::CheckBox, " Super Resolution", 42, 24, 72, 10},
        {1049, K::Edit, "", 120, 24, 24, 12},
        {0, K::StaticText, "Sharpen Effect", 150, 26, 100, 8},
        {1045, K::CheckBox, " Anti-Lag", 42, 42, 45, 10},
        {1054, K::CheckBox, " Anti-Lag +", 120, 42, 52, 10, kStyleHidden},
        {1040, K::CheckBox, " Boost", 42, 60, 36, 10},
        {1041, K::Edit, "", 120, 60, 24, 12},
        {0, K::StaticText, "Min Resolution (%)", 150, 62, 100, 8},
        {1044, K::CheckBox, " Chill", 42, 78, 31, 10},
        {1042, K::Edit, "", 120, 78, 24, 12},
        {1043, K::Edit, "", 150, 78, 24, 12},
        {0, K::StaticText, "Min / Max FPS", 180, 80, 70, 8},
        {1046, K::CheckBox, " Image Sharpening", 42, 96, 76, 10},
        {1047, K::Edit, "", 120, 96, 24, 12},
        {0, K::StaticText, "Sharpness", 150, 98, 100, 8},
        {1050, K::CheckBox, " Enhanced Sync", 42, 114, 67, 10},
        {1055, K::ComboBox, "", 42, 129, 120, 30},
        {0, K::StaticText, "V-Sync", 168, 131, 80, 8},
        {1051, K::CheckBox, " Frame Rate Target Control", 42, 150, 104, 10},
        {1052, K::Edit, "", 150, 150, 24, 12},
        {0, K::StaticText, "Max FPS", 180, 152, 70, 8},
        {1056, K::ComboBox, "", 42, 198, 108, 30},
        {0, K::StaticText, "Anti-Aliasing", 156, 200, 94, 8},
        {1057, K::ComboBox, "", 42, 216, 36, 30},
        {0, K::StaticText, "Anti-Aliasing Level", 84, 218, 160, 8},
        {1058, K::ComboBox, "", 42, 234, 108, 30},
        {0, K::StaticText, "Anti-Aliasing Method", 156, 236, 94, 8},
        {1059, K::CheckBox, " Morphological Anti-Aliasing", 42, 252, 103, 10},
        {1061, K::ComboBox, "", 42, 276, 36, 30},
        {1060, K::CheckBox, " Anisotropic Filtering", 84, 276, 81, 10},
        {1062, K::ComboBox, "", 42, 300, 108, 30},
        {0, K::StaticText, "Tessellation Mode", 156, 302, 94, 8},
        {1063, K::ComboBox, "", 42, 318, 36, 30},
        {0, K::StaticText, "Maximum Tessellation Level", 84, 320, 160, 8},
        {1053, K::PushButton, "Reset Shader Cache", 84, 360, 90, 14},
        {0, K::GroupBox, "", 12, 6, 246, 168},
        {0, K::GroupBox, "", 12, 180, 246, 162},
        {0, K::GroupBox, "", 12, 348, 246, 36},
    }};
    return layout;
}

const DialogTemplate& DisplayPageTemplate() {
    static const DialogTemplate layout{107, "", 278, 206, {
        {1087, K::ComboBox, "", 42, 12, 180, 30},
        {1080, K::CheckBox, " FreeSync", 42, 42, 48, 10},
        {1081, K::CheckBox, " Virtual Super Resolution", 42, 60, 94, 10},
        {1082, K::CheckBox, " GPU Scaling", 42, 78, 55, 10},
        {1083, K::ComboBox, "", 108, 78, 114, 30},
        {1084, K::CheckBox, " Integer Scaling", 42, 96, 66, 10},
        {0, K::StaticText, "Color Depth", 42, 116, 46, 8},
        {1085, K::ComboBox, "", 90, 114, 60, 30},
        {0, K::StaticText, "Pixel Format", 42, 134, 46, 8},
        {1086, K::ComboBox, "", 90, 132, 132, 30},
        {0, K::GroupBox, "", 12, 30, 252, 126},
    }};
    return layout;
}

const DialogTemplate& MorePageTemplate() {
    static const DialogTemplate layout{110, "", 273, 210, {
        {0, K::StaticText, "TODO: more..", 89, 66, 108, 8},
    }};
    return layout;
}
