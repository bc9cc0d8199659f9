#include "app/check_program.h"

#include <commdlg.h>

#include <algorithm>
#include <string>

#include "app/app_state.h"
#include "app/current_report.h"
#include "app/open_file.h"
#include "platform/shortcut.h"
#include "platform/utf.h"
#include "program/application_reader.h"
#include "report/text.h"

void checkProgram(HWND dialog) {
    // Shortcuts come back as shortcuts, so that the box can name both it and
    // the program it leads to.
    std::wstring program;
    if (!askFileToOpen(dialog, L"Check a program", L"Programs and their shortcuts (*.exe, *.lnk)\0*.exe;*.lnk\0All files\0*.*\0",
                       OFN_NODEREFERENCELINKS, &program)) {
        return;
    }
    std::wstring shortcut;
    if (isShortcutPath(program)) {
        shortcut = program;
        program = shortcutTarget(shortcut);
        if (program.empty()) {
            const std::wstring text = L"The shortcut leads to no program file:\n" + shortcut;
            MessageBoxW(dialog, text.c_str(), L"Check a program", MB_OK | MB_ICONERROR);
            return;
        }
    }
    const std::wstring picked = shortcut.empty() ? std::wstring() : L"Shortcut: " + shortcut + L"\nIt leads to: " + program + L"\n\n";
    const ApplicationReading reading = readApplication(program);
    if (!reading.read) {
        const std::wstring text = picked + L"The program could not be read:\n" + program + L"\n\n" + utf8ToWide(reading.problem) + L".";
        MessageBoxW(dialog, text.c_str(), L"Check a program", MB_OK | MB_ICONERROR);
        return;
    }
    g_mainDialog.checkedProgram = reading.facts;
    g_mainDialog.programChecked = true;
    // The box shows what the program gets, without the report beside it.
    Request alone;
    alone.reportShown = false;
    const std::string said = applicationText(gatherReport(dialogSources(), alone));
    std::wstring text = picked + utf8ToWide(said);
    // A box shows line feeds, not the report's CR LF pairs, as its own.
    text.erase(std::remove(text.begin(), text.end(), L'\r'), text.end());
    MessageBoxW(dialog, text.c_str(), L"Check a program", MB_OK | MB_ICONINFORMATION);
}
