// The C ABI over NetworkManager, through libnm (common/CardExports.cpp).

#include "Card.h"

namespace tembrel::abi {

DriverCard& TheCard() {
    static nm::Card card(nm::Settings::FromEnvironment());
    return card;
}

}  // namespace tembrel::abi
