#include "keys/FunctionCatalogue.h"

#include "core/AsciiText.h"

namespace orvix {

const std::vector<CatalogueEntry>& functionCatalogue() {
    using K = EntryKind;
    static const std::vector<CatalogueEntry> entries{
        {"mnCur_SCR", "", "CURSOR/SCROLL MODE", "4000", 1, false, K::Function},
        {"mnDrag_Move", "", "DRAG/MOVE", "08", 2, true, K::Function},
        {"mnRight", "", "RIGHT BUTTON", "01", 3, true, K::Function},
        {"mnLeft", "", "LEFT BUTTON", "00", 4, true, K::Function},
        {"mnBackPage", "", "BACK PAGER", "104b", 5, true, K::Function},
        {"mnDBClick", "", "DOUBLE CLICK", "8000", 0, true, K::Function},
        {"N1", "", "-", "", 0, true, K::Separator},
        {"mmsWinButton", "", "WINDOWS BUTTON", "", 0, true, K::Heading},
        {"mnWinSwitch", "mmsWinButton", "WINDOWS SWITCH", "182b", 0, true, K::Function},
        {"mnLock", "mmsWinButton", "LOCK COMPUTER", "180f", 0, true, K::Function},
        {"mnWinClose", "mmsWinButton", "WINDOW CLOSE", "143d", 0, true, K::Function},
        {"mnDestop", "mmsWinButton", "DISPLAY DESTOP", "1807", 0, true, K::Function},
        {"mnsMulButton", "", "MULTIMEDIA BUTTON", "", 0, true, K::Heading},
        {"mnMul_Play", "mnsMulButton", "PLAY/PAUSE", "20cd", 0, true, K::Function},
        {"mnMul_Stop", "mnsMulButton", "STOP", "20b7", 0, true, K::Function},
        {"mnMul_Pre", "mnsMulButton", "PREVIOUS", "20b6", 0, true, K::Function},
        {"mnMul_Next", "mnsMulButton", "NEXT", "20b5", 0, true, K::Function},
        {"mnMul_VolUp", "mnsMulButton", "VOLUME +", "20e9", 0, true, K::Function},
        {"mnMul_VolDn", "mnsMulButton", "VOLUME -", "20ea", 0, true, K::Function},
        {"mnMul_Mute", "mnsMulButton", "MUTE", "20e2", 0, true, K::Function},
        {"mnsInternetButton", "", "INTERNET BUTTON", "", 0, true, K::Heading},
        {"mnIE_Home", "mnsInternetButton", "IE HOME", "2223", 0, true, K::Function},
        {"mnWeb_Back", "mnsInternetButton", "WEB BACK", "2224", 0, true, K::Function},
        {"mnWeb_Forward", "mnsInternetButton", "WEB FORWARD", "2225", 0, true, K::Function},
        {"MenuItem24", "mnsInternetButton", "WEB REFRESH", "2227", 0, true, K::Function},
        {"mnsPPT_presentation", "", "PPT PRESENTATION", "", 0, true, K::Heading},
        {"mnPPT_FullScr", "mnsPPT_presentation", "FULL SCREEN", "1044", 0, true, K::Function},
        {"mnPPT_PGUP", "mnsPPT_presentation", "PAGE UP", "104b", 0, true, K::Function},
        {"mnPPT_PGDN", "mnsPPT_presentation", "PAGE DOWN", "104e", 0, true, K::Function},
        {"mnPPT_Play", "mnsPPT_presentation", "PLAY/NEXT", "103e", 0, true, K::Function},
        {"mnPPT_Black", "mnsPPT_presentation", "BLACK SCREEN", "1037", 0, true, K::Function},
    };
    return entries;
}

int32_t readFunctionCode(const std::string& hint) {
    std::optional<uint32_t> value = hexToken(hint);
    if (!value || *value > 0xFFFF) return -1;
    return static_cast<int32_t>(*value);
}

int32_t wireOrder(int32_t code) {
    if (code <= 0) return code;
    uint32_t v = static_cast<uint32_t>(code);
    return static_cast<int32_t>((v >> 8) | ((v & 0xFF) << 8));
}

}  // namespace orvix
