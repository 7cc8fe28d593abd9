// The installer's message texts: the one source of the string table, read
// by the resource script (rozbal.rc) and by the native build, which has no
// resources (CzechText). The bytes are code page 1250, written as octal
// escapes so that they do not depend on how this file is read (it is UTF-8:
// the comments show each text as it reads); the resource compiler turns
// them into UTF-16 through the script's code page. \n is a line break.
#pragma once

// "Instalátor"
#define TEXT_CAPTION "Instal\341tor"

// "Instalátor požaduje další datovou část, soubor\n'%s'.\n\n
//  Chcete pokračovat v instalaci?"
#define TEXT_NEXT_VOLUME \
    "Instal\341tor po\236aduje dal\232\355 datovou \350\341st, soubor\n'%s'.\n\n" \
    "Chcete pokra\350ovat v instalaci?"

// "Při instalaci došlo k chybě a proto bude přerušena."
#define TEXT_ERROR "P\370i instalaci do\232lo k chyb\354 a proto bude p\370eru\232ena."

// TEXT_ERROR + "\nInstalační soubor není kompletní."
#define TEXT_INCOMPLETE TEXT_ERROR "\nInstala\350n\355 soubor nen\355 kompletn\355."

// TEXT_ERROR + "\nPro instalaci není dost místa v adresáři TEMP."
#define TEXT_NO_SPACE TEXT_ERROR "\nPro instalaci nen\355 dost m\355sta v adres\341\370i TEMP."

// "Zadané heslo je nesprávné a proto instalace bude přerušena."
#define TEXT_BAD_PASSWORD "Zadan\351 heslo je nespr\341vn\351 a proto instalace bude p\370eru\232ena."

#ifndef RC_INVOKED
// The code page 1250 text of string id (IDS_CAPTION to IDS_BAD_PASSWORD),
// the same bytes LoadStringA gives on a Czech system; null for any other id.
const char* CzechText(int id);
#endif
