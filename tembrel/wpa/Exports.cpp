// The C ABI over a real card, through wpa_supplicant and the kernel (common/CardExports.cpp).

#include "Card.h"

namespace tembrel::abi {

DriverCard& TheCard() {
    static wpa::Card card(wpa::Paths::FromEnvironment());
    return card;
}

}  // namespace tembrel::abi
