// Product identity: the one place for name, version and publisher. Read by
// the version resource, the program and the installer, so only #define lines
// (no guard needed: identical redefinitions are harmless).

#define VELMO_PRODUCT_NAME      "Velmo Korva Status"
#define VELMO_FILE_DESCRIPTION  "Korva status notification"
#define VELMO_PUBLISHER         "Brenlow"
#define VELMO_COPYRIGHT_YEAR    2026

#define VELMO_VERSION_MAJOR     2
#define VELMO_VERSION_MINOR     0
#define VELMO_VERSION_PATCH     0
#define VELMO_VERSION_BUILD     0

#define VELMO_STRINGIZE_(x)     #x
#define VELMO_STRINGIZE(x)      VELMO_STRINGIZE_(x)

// "2.0.0.0" and "2.0.0".
#define VELMO_VERSION_STRING    VELMO_STRINGIZE(VELMO_VERSION_MAJOR.VELMO_VERSION_MINOR.VELMO_VERSION_PATCH.VELMO_VERSION_BUILD)
#define VELMO_VERSION_SHORT     VELMO_STRINGIZE(VELMO_VERSION_MAJOR.VELMO_VERSION_MINOR.VELMO_VERSION_PATCH)

// "Copyright (C) 2026 Brenlow"
#define VELMO_COPYRIGHT         "Copyright (C) " VELMO_STRINGIZE(VELMO_COPYRIGHT_YEAR) " " VELMO_PUBLISHER
