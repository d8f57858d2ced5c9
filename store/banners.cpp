#include "store/banners.h"

namespace {

constexpr const char* makersite = "https://www.example.org/";
constexpr const char* makerservices = "Honlapok, webáruházak és webes alkalmazások készítése";
constexpr const char* inventorysite = "https://keszlet.example.org/";
constexpr const char* inventoryproduct = "Bolti készletnyilvántartó program kis- és középvállalkozásoknak";

std::string line(const std::string& address, const std::string& description) {
    return "<P align=\"center\"><A href=\"" + address + "\">" + address + "</A><SHAD> - " + description +
           "</SHAD></P>";
}

} // namespace

std::vector<std::string> bannerlines() {
    return {line(makersite, makerservices), line(inventorysite, inventoryproduct)};
}
