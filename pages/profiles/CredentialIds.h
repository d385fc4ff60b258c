#pragma once
// Control ids of the 802.1x credential dialogs, the certificate list and the certificate viewer
// (each widget carries its id, see ui/ControlId.h).

namespace tembrel::credentials::ids {

inline constexpr int kOk = 1;      // also "&Select" of the certificate list
inline constexpr int kCancel = 2;  // also "&Cancel" of the certificate list

// The credential dialogs.
inline constexpr int kLoginName = 1151;
inline constexpr int kPassword = 1152;
inline constexpr int kDomain = 1153;
inline constexpr int kCertificate = 1154;
inline constexpr int kAnonymousName = 1155;
inline constexpr int kInnerProtocol = 1156;
inline constexpr int kViewCertificate = 1157;
inline constexpr int kBrowse = 1158;

// The certificate list ("Select Certificate").
inline constexpr int kCertificateGroup = 1161;
inline constexpr int kCertificateList = 1162;
inline constexpr int kView = 1163;

// The certificate viewer ("View Certificate").
inline constexpr int kFieldList = 1171;
inline constexpr int kFieldValue = 1172;  // the chosen field whole (an id of this program's own)

}  // namespace tembrel::credentials::ids
