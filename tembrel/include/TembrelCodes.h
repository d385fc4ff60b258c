/* The numbers every implementation of the Tembrel library and the program agree on: event codes,
 * operation results and the values the Set/Query operations take. Each meaning has one name here;
 * nothing else in the tree spells these numbers. */
#ifndef TEMBREL_CODES_H
#define TEMBREL_CODES_H

/* ---- Window message and events ---- */

/* Window message that carries every library event. */
#define ZARN9100_EVENT_MESSAGE 0x8000u

/* Event codes (the code argument of the event sink). */
#define ZARN9100_EVENT_LINK_DOWN 0u            /* disassociated on request (SetSsid elsewhere, mode change, radio off) */
#define ZARN9100_EVENT_LINK_UP 1u              /* associated with an access point */
#define ZARN9100_EVENT_CARD_REMOVED 2u         /* the card was pulled out */
#define ZARN9100_EVENT_ADHOC_LINK_UP 3u        /* joined an ad-hoc station, or a peer joined ours */
#define ZARN9100_EVENT_LINK_LOST 4u            /* the network vanished, its signal fell away or it changed */
#define ZARN9100_EVENT_ASSOCIATION_REFUSED 5u  /* the network refused the configured security */
#define ZARN9100_EVENT_SCAN_COMPLETE 6u        /* a scan finished and the list is new */
#define ZARN9100_EVENT_RADIO_SWITCH_ON 8u      /* the hardware radio switch */
#define ZARN9100_EVENT_RADIO_SWITCH_OFF 9u
#define ZARN9100_EVENT_AUTOLINK_CONFIGURED 1008u /* associated with an access point Auto Link configured */
#define ZARN9100_EVENT_STATUS_TEXT 1012u       /* param: const char*, valid only during the call */

/* The Auto Link exchange: FIRST + step, step 0 (start request) to 9. */
#define ZARN9100_EVENT_AUTOLINK_STEP_FIRST 0xF0000000u
#define ZARN9100_EVENT_AUTOLINK_SUCCEEDED 0xF0000007u
#define ZARN9100_EVENT_AUTOLINK_FAILED 0xF0000008u
#define ZARN9100_EVENT_AUTOLINK_WRONG_PIN 0xF0000009u

/* Device notifications of TembrelSetDeviceNotify. */
#define TEMBREL_DEVICE_ARRIVAL 0x8000u
#define TEMBREL_DEVICE_REMOVE_COMPLETE 0x8004u

/* ---- Results of the operations (int) ---- */
#define ZARN9100_RESULT_OK 0
#define ZARN9100_RESULT_NO_NETWORK 1        /* SetSsid: no such network in range; the card is disassociated */
#define ZARN9100_RESULT_SECURITY_REFUSED 2  /* SetSsid: the network refused the configured security */
#define ZARN9100_RESULT_RADIO_OFF 3
#define ZARN9100_RESULT_PENDING 4           /* SetSsid: ad-hoc network started, waiting for a peer */
#define ZARN9100_RESULT_BAD_HANDLE 5        /* no card, or a handle that is not (or no longer) open */
#define ZARN9100_RESULT_BAD_ARGUMENT 6
#define ZARN9100_RESULT_BUFFER_TOO_SMALL 7
#define ZARN9100_RESULT_NOT_AVAILABLE 8     /* nothing to report now (no link, no Auto Link answer) */

/* ---- NDIS 802.11 authentication modes (SetAuthMode, QueryAuthMode) ---- */
#define ZARN9100_AUTH_OPEN 0u
#define ZARN9100_AUTH_SHARED 1u
#define ZARN9100_AUTH_AUTO_SWITCH 2u
#define ZARN9100_AUTH_WPA 3u
#define ZARN9100_AUTH_WPA_PSK 4u
#define ZARN9100_AUTH_WPA2 6u
#define ZARN9100_AUTH_WPA2_PSK 7u

/* ---- NDIS 802.11 encryption status (SetWepStatus, QueryWepStatus) ---- */
#define ZARN9100_ENCRYPTION_WEP 0u
#define ZARN9100_ENCRYPTION_DISABLED 1u
#define ZARN9100_ENCRYPTION_WEP_KEY_ABSENT 2u   /* query only: the cipher is set, its key not yet */
#define ZARN9100_ENCRYPTION_TKIP 4u
#define ZARN9100_ENCRYPTION_TKIP_KEY_ABSENT 5u
#define ZARN9100_ENCRYPTION_AES 6u
#define ZARN9100_ENCRYPTION_AES_KEY_ABSENT 7u

/* ---- Radio (SetRadioControl, QueryRadioControl) ---- */
#define ZARN9100_RADIO_OFF 0u
#define ZARN9100_RADIO_ON 1u
#define ZARN9100_RADIO_SWITCHED_OFF 2u  /* query only: the hardware switch is off */

/* ---- Network mode (SetNetworkMode, SsidScan's network type, a profile's networkType) ---- */
#define ZARN9100_NETWORK_ADHOC 0u
#define ZARN9100_NETWORK_INFRASTRUCTURE 1u

/* ---- Wireless mode (SetWlanMode, QueryWlanMode, SetAdHocWlanMode): also the band codes of a
 * network, a profile's wirelessMode and the connection's wireless mode ---- */
#define ZARN9100_WLAN_MODE_80211G 0u
#define ZARN9100_WLAN_MODE_80211B 1u
#define ZARN9100_WLAN_MODE_80211A 2u
#define ZARN9100_WLAN_MODE_ANY 255u  /* SetWlanMode: every band */

/* ---- NDIS network type in use (a scan entry's NetworkTypeInUse) ---- */
#define ZARN9100_NETWORK_TYPE_DS 1u      /* 802.11b */
#define ZARN9100_NETWORK_TYPE_OFDM5 2u   /* 802.11a */
#define ZARN9100_NETWORK_TYPE_OFDM24 3u  /* 802.11g */

#endif /* TEMBREL_CODES_H */
