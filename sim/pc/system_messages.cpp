#include "sim/pc/system_messages.h"

namespace sim {

namespace {

struct Message {
    uint32_t code;
    const wchar_t* english;
    const wchar_t* german;
};

const Message kMessages[] = {
    {0, L"The operation completed successfully.", L"Der Vorgang wurde erfolgreich beendet."},
    {1, L"Incorrect function.", L"Unzul\u00E4ssige Funktion."},
    {2, L"The system cannot find the file specified.", L"Das System kann die angegebene Datei nicht finden."},
    {3, L"The system cannot find the path specified.", L"Das System kann den angegebenen Pfad nicht finden."},
    {5, L"Access is denied.", L"Zugriff verweigert"},
    {6, L"The handle is invalid.", L"Das Handle ist ung\u00FCltig."},
    {8, L"Not enough storage is available to process this command.",
     L"Nicht gen\u00FCgend Speicher verf\u00FCgbar, um diesen Befehl zu verarbeiten."},
    {15, L"The system cannot find the drive specified.", L"Das System kann das angegebene Laufwerk nicht finden."},
    {19, L"The media is write protected.", L"Der Datentr\u00E4ger ist schreibgesch\u00FCtzt."},
    {21, L"The device is not ready.", L"Das Ger\u00E4t ist nicht bereit."},
    {23, L"Data error (cyclic redundancy check).", L"Datenfehler (CRC-Pr\u00FCfung)."},
    {31, L"A device attached to the system is not functioning.",
     L"Ein an das System angeschlossenes Ger\u00E4t funktioniert nicht."},
    {32, L"The process cannot access the file because it is being used by another process.",
     L"Der Prozess kann nicht auf die Datei zugreifen, da sie von einem anderen Prozess verwendet wird."},
    {33, L"The process cannot access the file because another process has locked a portion of the file.",
     L"Der Prozess kann nicht auf die Datei zugreifen, da ein anderer Prozess einen Teil der Datei gesperrt hat."},
    {50, L"The request is not supported.", L"Die Anforderung wird nicht unterst\u00FCtzt."},
    {55, L"The specified network resource or device is no longer available.",
     L"Die angegebene Netzwerkressource bzw. das angegebene Ger\u00E4t ist nicht mehr verf\u00FCgbar."},
    {87, L"The parameter is incorrect.", L"Falscher Parameter."},
    {121, L"The semaphore timeout period has expired.", L"Das Zeitlimit f\u00FCr die Semaphore wurde erreicht."},
    {122, L"The data area passed to a system call is too small.",
     L"Der an einen Systemaufruf \u00FCbergebene Datenbereich ist zu klein."},
    {126, L"The specified module could not be found.", L"Das angegebene Modul wurde nicht gefunden."},
    {127, L"The specified procedure could not be found.", L"Die angegebene Prozedur wurde nicht gefunden."},
    {183, L"Cannot create a file when that file already exists.",
     L"Eine Datei kann nicht erstellt werden, wenn sie bereits vorhanden ist."},
    {995, L"The I/O operation has been aborted because of either a thread exit or an application request.",
     L"Der E/A-Vorgang wurde wegen eines Threadendes oder einer Anwendungsanforderung abgebrochen."},
    {1008, L"An attempt was made to reference a token that does not exist.",
     L"Es wurde versucht, auf ein nicht vorhandenes Token zuzugreifen."},
    {1112, L"There is no media in the drive.", L"Es befindet sich kein Datentr\u00E4ger im Laufwerk."},
    {1117, L"The request could not be performed because of an I/O device error.",
     L"Die Anforderung konnte wegen eines E/A-Ger\u00E4tefehlers nicht ausgef\u00FChrt werden."},
    {1167, L"The device is not connected.", L"Das Ger\u00E4t ist nicht angeschlossen."},
    {1814, L"The specified resource name cannot be found in the image file.",
     L"Der angegebene Ressourcenname wurde nicht in der Imagedatei gefunden."},
    {1815, L"The specified resource language ID cannot be found in the image file.",
     L"Die angegebene Ressourcensprach-ID wurde nicht in der Imagedatei gefunden."},
};

}  // namespace

bool SystemMessageText(uint32_t error, uint16_t langId, std::wstring& text) {
    for (const Message& m : kMessages) {
        if (m.code != error) continue;
        // Windows ends its message texts with a line break.
        text = std::wstring((langId & 0x3FF) == 0x07 ? m.german : m.english) + L"\r\n";
        return true;
    }
    return false;
}

}  // namespace sim
