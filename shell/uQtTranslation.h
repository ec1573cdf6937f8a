#pragma once
// Qt's own texts (message-box buttons, file dialogs, edit menus) in the
// language of the loaded language file, where Qt ships a translation of it.

// Installs Qt's translation for the loaded file's language (Info /
// LanguageIsoCode), or removes it when no file is loaded, the language is
// English or Qt has none for it. Needs the application object; a repeat for
// the same language does nothing.
void ApplyQtTranslation();
