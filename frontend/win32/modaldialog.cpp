// modaldialog.cpp - the modal loop, and the dialog procedure that routes to the handlers.
#include "modaldialog.h"

ClModalDialog::ClModalDialog(HINSTANCE instance, int templateId)
    : m_instance(instance), m_templateId(templateId), m_window(nullptr), m_ended(false), m_result(-1) {}

ClModalDialog::~ClModalDialog() {
    if (m_window) DestroyWindow(m_window);
}

void ClModalDialog::EndDialog(int result) {
    m_result = result;
    m_ended = true;
}

int ClModalDialog::DoModal(HWND owner) {
    m_ended = false;
    m_result = -1;
    const bool disableOwner = owner && IsWindowEnabled(owner);
    // WM_INITDIALOG arrives inside this call; the template has no WS_VISIBLE, so nothing shows yet.
    if (!CreateDialogParamA(m_instance, MAKEINTRESOURCEA(m_templateId), owner, DialogProc,
                            reinterpret_cast<LPARAM>(this)))
        return -1;
    if (disableOwner) EnableWindow(owner, FALSE);
    // A dialog ended during initialisation (past actual data) is never shown.
    if (!m_ended) ShowWindow(m_window, SW_SHOWNORMAL);

    // The loop takes messages in their wide form: a character typed through an input method then
    // reaches the ANSI controls as one double-byte character, converted by the system when it is
    // dispatched; an ANSI loop lets Wine split it into two unrelated bytes. Key-down messages,
    // which the pre-translation reads, are the same in both forms.
    MSG message;
    while (!m_ended) {
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got == -1) break;
        if (got == 0) {
            // WM_QUIT belongs to whoever runs the outer loop: hand it on.
            PostQuitMessage(static_cast<int>(message.wParam));
            break;
        }
        const bool ours = message.hwnd == m_window || IsChild(m_window, message.hwnd);
        if (ours && PreTranslateMessage(message)) continue;
        if (IsDialogMessageW(m_window, &message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    // The owner is enabled before the window goes, so that the system activates it, not another.
    if (disableOwner) EnableWindow(owner, TRUE);
    DestroyWindow(m_window);
    m_window = nullptr;
    return m_result;
}

INT_PTR CALLBACK ClModalDialog::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        ClModalDialog* self = reinterpret_cast<ClModalDialog*>(lParam);
        SetWindowLongPtrA(window, DWLP_USER, lParam);
        self->m_window = window;
        return self->OnInitDialog();
    }
    ClModalDialog* self = reinterpret_cast<ClModalDialog*>(GetWindowLongPtrA(window, DWLP_USER));
    if (!self) return FALSE;
    if (message == WM_COMMAND) {
        self->OnCommand(LOWORD(wParam), HIWORD(wParam));
        return TRUE;
    }
    // Everything else, WM_CLOSE included (the dialog manager turns it into IDCANCEL).
    return FALSE;
}
