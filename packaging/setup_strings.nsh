; The setup's own words in its two languages, as the saver's dialog speaks them: Japanese where
; Windows shows Japanese, English everywhere else. makensis turns the Japanese ones into code
; page 932, which an ANSI installer needs.

LangString SaverSectionName ${LANG_ENGLISH} "Frellis screen saver"
LangString SaverSectionName ${LANG_JAPANESE} "Frellis スクリーン セーバー"
LangString CurrentSaverSectionName ${LANG_ENGLISH} "Make Frellis my screen saver"
LangString CurrentSaverSectionName ${LANG_JAPANESE} "Frellis をスクリーン セーバーに設定する"
LangString OpenSettings ${LANG_ENGLISH} "Open the Screen Saver settings"
LangString OpenSettings ${LANG_JAPANESE} "スクリーン セーバーの設定を開く"
LangString AdministratorOnly ${LANG_ENGLISH} "Frellis is installed and removed by an administrator."
LangString AdministratorOnly ${LANG_JAPANESE} "Frellis のインストールと削除は管理者が行います。"
LangString SaverInUse ${LANG_ENGLISH} "frellis.scr is in use: Windows replaces it when it restarts."
LangString SaverInUse ${LANG_JAPANESE} "frellis.scr は使用中です。Windows の再起動時に置き換えられます。"
LangString SaverNotWritten ${LANG_ENGLISH} "frellis.scr could not be written to $SYSDIR."
LangString SaverNotWritten ${LANG_JAPANESE} "frellis.scr を $SYSDIR に書き込めませんでした。"
LangString EntryNotWritten ${LANG_ENGLISH} "The Apps & features entry could not be written."
LangString EntryNotWritten ${LANG_JAPANESE} "アプリと機能の項目を書き込めませんでした。"

; NSIS picks the language of Windows' user interface, even where the code page for programs that
; are not Unicode cannot show it (Japanese Windows set to run them in 1252, say): Japanese is then
; text that nobody can read, so English is shown instead.
!macro ChooseLanguage
  ${If} $LANGUAGE == ${LANG_JAPANESE}
    System::Call "kernel32::GetACP() i .r0"
    ${If} $0 != 932
      StrCpy $LANGUAGE ${LANG_ENGLISH}
    ${EndIf}
  ${EndIf}
!macroend
