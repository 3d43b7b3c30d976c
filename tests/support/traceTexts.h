// The applet's trace records, as the log carries them: the one list the
// tests, the soak and the bench check against. These texts are a contract
// (OEM support reads the log), so they are typed here, not taken from the
// product.
#pragma once

#include <string>

namespace velmo_test::traced {

inline constexpr char kStart[] = "START VELMO";
inline constexpr char kExit[] = "EXIT VELMO";
inline constexpr char kAlreadyRunning[] = "velmo.exe is already running";

inline constexpr char kReading[] = "Retrieved KorvaStatus: ";
inline constexpr char kEnabled[] = "Retrieved KorvaStatus: enabled";
inline constexpr char kDisabled[] = "Retrieved KorvaStatus: disabled";
inline constexpr char kUnknown[] = "Retrieved KorvaStatus: unknown";
inline constexpr char kBadValue[] = "Retrieved KorvaStatus: bad value!";
inline constexpr char kNoSection[] = "IPCKorvaStatus object failed to initialize. Error code=";
inline constexpr char kDisabledHeldPrefix[] = "Got 'disabled' status ";
inline constexpr char kUnknownForPrefix[] = "Korva Status could not be retrieved ";
// "disabled" shown after `count` readings in a row.
inline std::string DisabledHeld(unsigned count)
{
    return std::string(kDisabledHeldPrefix) + std::to_string(count) +
           " times - changing displayed status to 'disabled'.";
}
// The warning after `count` readings without the section.
inline std::string UnknownFor(unsigned count)
{
    return std::string(kUnknownForPrefix) + std::to_string(count) +
           " times - the velmosrv service is probably not running.";
}

inline constexpr char kFailedAdd[] = "Failed to add tray icon";
inline constexpr char kFailedModify[] = "Failed to modify tray icon";

inline constexpr char kNoOemUrl[] = "Unable to find OEM URL registry entry";
inline constexpr char kNoStartupOption[] = "Unable to find OEM velmo startup option registry entry";
inline constexpr char kNoInitMaxRetries[] =
    "Unable to find Korva Status Init Max Retries registry entry";
inline constexpr char kNoTimeout[] = "Unable to find Check Korva Status Timeout registry entry";
inline constexpr char kNoPollsForDisabled[] = "Unable to find NumPollsForDisabled registry entry";
inline constexpr char kPopupDefaulted[] =
    "Can't read PopupForCurrentUser from registry, defaulting to MinimizePrivacyIconAtStartup.";

inline constexpr char kLinkNotLaunched[] = "Unable to launch OEM URL in a browser";
inline constexpr char kUrlTooLong[] = "OEM URL is too long to pass to Internet Explorer";
inline constexpr char kUrlHasQuote[] =
    "OEM URL holds a double quote and is not passed to Internet Explorer";

inline constexpr char kEmptyPath[] = "string passed to DoesFileExist(...) is empty";
inline constexpr char kLogoNotFound[] = "OEM bitmap not found at ";
inline constexpr char kLogoNotOpened[] = "Unable to \"CreateFile\" on OEM logo bitmap";
inline constexpr char kLogoFileSize[] = "OEM Logo file doesn't meet acceptible file size";
inline constexpr char kLogoNoDimensions[] =
    "Problem occurred while trying to retrieve OEM logo dimensions";
inline constexpr char kLogoWidth[] = "OEM logo file doesn't meet acceptible image width";
inline constexpr char kLogoHeight[] = "OEM logo file doesn't meet acceptible image height";

} // namespace velmo_test::traced
