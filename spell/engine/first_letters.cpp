#include "spell/engine/first_letters.h"

#include <string_view>

namespace quill {

namespace {

// Windows-1252: À C0 Á C1 Â C2 Ã C3 Ä C4 Å C5 Æ C6 Ç C7 È C8 É C9 Ê CA Ë CB
// Ì CC Í CD Î CE Ï CF Ð D0 Ñ D1 Ò D2 Ó D3 Ô D4 Õ D5 Ö D6 Ù D9 Ú DA Û DB Ü DC
// Ý DD Þ DE ß DF Š 8A Œ 8C Ÿ 9F.
constexpr std::string_view kA = "EDA\xC0\xC1\xC2\xC3\xC4\xC5\xC6";
constexpr std::string_view kB = "PVNB\xDF";
constexpr std::string_view kC = "SXVC\xC7\x8C";
constexpr std::string_view kD = "FD\xD0";
constexpr std::string_view kE = "IWRE\xC8\xC9\xCA\xCB\xCC\xCD\xCE\xCF";
constexpr std::string_view kI = "EOUI\xC8\xC9\xCA\xCB\xCC\xCD\xCE\xCF";
constexpr std::string_view kN = "MBN\xD1";
constexpr std::string_view kO = "PIO\xD2\xD3\xD4\xD5\xD6\xCC\xCD\xCE\xCF";
constexpr std::string_view kP = "BOP\xDE";
constexpr std::string_view kU = "YIU\xD9\xDA\xDB\xDC";
constexpr std::string_view kY = "TUY\x9F\xDD";

std::string_view Row(unsigned char c) {
    switch (c) {
        case 'A': return kA;
        case 'B': case 0xDF: return kB;
        case 'C': case 0x8C: case 0xC7: return kC;
        case 'D': case 0xD0: return kD;
        case 'E': return kE;
        case 'F': return "DGF";
        case 'G': return "JG";
        case 'H': return "JGH";
        case 'I': return kI;
        case 'J': return "GJ";
        case 'K': return "CLJK";
        case 'L': return "KL";
        case 'M': return "NM\xD1";
        case 'N': case 0xD1: return kN;
        case 'O': return kO;
        case 'P': case 0xDE: return kP;
        case 'Q': return "WQ";
        case 'R': return "ETR";
        case 'S': return "ACDS\x8A\x8C";
        case 'T': return "YRT";
        case 'U': return kU;
        case 'V': return "BCV\xC7\x8C";
        case 'W': return "QEW";
        case 'X': return "CZX";
        case 'Y': case 0x9F: case 0xDD: return kY;
        case 'Z': return "XZ";
        default: break;
    }
    if (c >= 0xC0 && c <= 0xC6) return kA;
    if (c >= 0xC8 && c <= 0xCB) return kE;
    if (c >= 0xCC && c <= 0xCF) return kI;
    if (c >= 0xD2 && c <= 0xD6) return kO;
    if (c >= 0xD9 && c <= 0xDC) return kU;
    return {};
}

}  // namespace

std::string FirstLetterAlternatives(unsigned char first) {
    std::string_view row = Row(first);
    if (row.empty()) return std::string(1, static_cast<char>(first));
    return std::string(row);
}

}  // namespace quill
