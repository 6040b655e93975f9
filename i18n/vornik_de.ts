<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>BannerActions</name>
    <message>
        <source>File Save Error</source>
        <translation>Fehler beim Speichern</translation>
    </message>
    <message>
        <source>Your banner image couldn&apos;t be saved on your computer.</source>
        <translation>Ihr Bannerbild konnte nicht auf Ihrem Computer gespeichert werden.</translation>
    </message>
    <message>
        <source>File Upload Error</source>
        <translation>Fehler beim Hochladen</translation>
    </message>
    <message>
        <source>There was a problem uploading your banner image.</source>
        <translation>Beim Hochladen Ihres Bannerbildes ist ein Problem aufgetreten.</translation>
    </message>
    <message>
        <source>Banner</source>
        <extracomment>The title of notifications about the banner.</extracomment>
        <translation>Banner</translation>
    </message>
    <message>
        <source>Banner color change has been cancelled.</source>
        <translation>Die Änderung der Bannerfarbe wurde abgebrochen.</translation>
    </message>
    <message>
        <source>New banner color information is uploaded.</source>
        <translation>Die neue Bannerfarbe wurde hochgeladen.</translation>
    </message>
    <message>
        <source>Select PNG Image (Should be 40 px wide)</source>
        <translation>PNG-Bild auswählen (sollte 40 px breit sein)</translation>
    </message>
    <message>
        <source>Banner Image Action</source>
        <translation>Bannerbild</translation>
    </message>
    <message>
        <source>Banner Image Uploaded!</source>
        <translation>Bannerbild hochgeladen!</translation>
    </message>
    <message>
        <source>Reset complete.</source>
        <translation>Zurückgesetzt.</translation>
    </message>
</context>
<context>
    <name>BannerColorPicker</name>
    <message>
        <source>Banner color</source>
        <translation>Bannerfarbe</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
</context>
<context>
    <name>BannerColorWindow</name>
    <message>
        <source>Banner color</source>
        <translation>Bannerfarbe</translation>
    </message>
</context>
<context>
    <name>BannerPreview</name>
    <message>
        <source>Banner preview</source>
        <translation>Bannervorschau</translation>
    </message>
</context>
<context>
    <name>BannerView</name>
    <message>
        <source>Save Image</source>
        <translation>Bild speichern</translation>
    </message>
    <message>
        <source>File saved</source>
        <translation>Datei gespeichert</translation>
    </message>
    <message>
        <source>You image was saved at %1</source>
        <translation>Ihr Bild wurde unter %1 gespeichert</translation>
    </message>
    <message>
        <source>File save error</source>
        <translation>Fehler beim Speichern</translation>
    </message>
    <message>
        <source>There was a problem saving image.</source>
        <translation>Beim Speichern des Bildes ist ein Problem aufgetreten.</translation>
    </message>
    <message>
        <source>Banner Image Action</source>
        <translation>Bannerbild</translation>
    </message>
    <message>
        <source>That file could not be read as a PNG image.</source>
        <translation>Diese Datei konnte nicht als PNG-Bild gelesen werden.</translation>
    </message>
    <message>
        <source>Banner Image Uploaded!</source>
        <translation>Bannerbild hochgeladen!</translation>
    </message>
    <message>
        <source>Banner Info</source>
        <translation>Banner</translation>
    </message>
    <message>
        <source>Your banner will now be ued for your uploaded screen shot images.</source>
        <translation>Ihr Banner wird ab jetzt für Ihre hochgeladenen Bildschirmfotos verwendet.</translation>
    </message>
</context>
<context>
    <name>BannerWindow</name>
    <message>
        <source>Vornik banner</source>
        <translation>Vornik-Banner</translation>
    </message>
    <message>
        <source>Save current banner to your computer</source>
        <translation>Aktuelles Banner auf Ihrem Computer speichern</translation>
    </message>
    <message>
        <source>Load an image into the preview below.</source>
        <translation>Ein Bild in die Vorschau unten laden.</translation>
    </message>
    <message>
        <source>Upload an image to use as a Vornik banner.</source>
        <translation>Ein Bild als Vornik-Banner hochladen.</translation>
    </message>
    <message>
        <source>Change your Vornik banner color</source>
        <translation>Farbe Ihres Vornik-Banners ändern</translation>
    </message>
    <message>
        <source>Reset banner color and image</source>
        <translation>Bannerfarbe und -bild zurücksetzen</translation>
    </message>
</context>
<context>
    <name>ClosePrompt</name>
    <message>
        <source>Save the changes to this picture before closing?</source>
        <translation>Änderungen an diesem Bild vor dem Schließen speichern?</translation>
    </message>
    <message>
        <source>Your figures are lost if you don&apos;t save, copy or upload them.</source>
        <translation>Ihre Figuren gehen verloren, wenn Sie sie nicht speichern, kopieren oder hochladen.</translation>
    </message>
</context>
<context>
    <name>ColorPalette</name>
    <message>
        <source>White</source>
        <translation>Weiß</translation>
    </message>
    <message>
        <source>Silver</source>
        <translation>Silber</translation>
    </message>
    <message>
        <source>Gray</source>
        <translation>Grau</translation>
    </message>
    <message>
        <source>Black</source>
        <translation>Schwarz</translation>
    </message>
    <message>
        <source>Red</source>
        <translation>Rot</translation>
    </message>
    <message>
        <source>Maroon</source>
        <translation>Kastanienbraun</translation>
    </message>
    <message>
        <source>Yellow</source>
        <translation>Gelb</translation>
    </message>
    <message>
        <source>Olive</source>
        <translation>Oliv</translation>
    </message>
    <message>
        <source>Lime</source>
        <translation>Hellgrün</translation>
    </message>
    <message>
        <source>Green</source>
        <translation>Grün</translation>
    </message>
    <message>
        <source>Aqua</source>
        <translation>Cyan</translation>
    </message>
    <message>
        <source>Teal</source>
        <translation>Blaugrün</translation>
    </message>
    <message>
        <source>Blue</source>
        <translation>Blau</translation>
    </message>
    <message>
        <source>Navy</source>
        <translation>Marineblau</translation>
    </message>
    <message>
        <source>Fuchsia</source>
        <translation>Magenta</translation>
    </message>
    <message>
        <source>Purple</source>
        <translation>Violett</translation>
    </message>
</context>
<context>
    <name>ColorPanel</name>
    <message>
        <source>Colors</source>
        <translation>Farben</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
</context>
<context>
    <name>CommandLine</name>
    <message>
        <source>cannot write %1</source>
        <extracomment>%1 is the settings file.</extracomment>
        <translation>%1 kann nicht geschrieben werden</translation>
    </message>
    <message>
        <source>Vornik uploads to %1</source>
        <extracomment>%1 is the sharing service&apos;s address.</extracomment>
        <translation>Vornik lädt zu %1 hoch</translation>
    </message>
    <message>
        <source>Vornik uploads to %1, trusting %2</source>
        <extracomment>%1 is the service&apos;s address, %2 the certificate file trusted for it.</extracomment>
        <translation>Vornik lädt zu %1 hoch und vertraut %2</translation>
    </message>
    <message>
        <source>another Vornik holds %1 but does not answer</source>
        <extracomment>%1 is the lock file of the running Vornik.</extracomment>
        <translation>ein anderes Vornik hält %1, antwortet aber nicht</translation>
    </message>
    <message>
        <source>--ca-file goes with --set-service</source>
        <translation>--ca-file gehört zu --set-service</translation>
    </message>
    <message>
        <source>unknown option %1</source>
        <extracomment>%1 is the option as it was given.</extracomment>
        <translation>unbekannte Option %1</translation>
    </message>
    <message>
        <source>%1 needs a value</source>
        <extracomment>%1 is the option, &quot;--set-service&quot; for instance.</extracomment>
        <translation>%1 braucht einen Wert</translation>
    </message>
    <message>
        <source>Usage: vornik [--capture | --preferences | --user-id | --version | --help]
       vornik --capture [--full | --window | --region X,Y,W,H]
                        [--copy | --save [PATH] | --upload | --output -] [--delay SECONDS]
       vornik --set-service URL [--ca-file FILE]
Vornik lives in the system tray: take, mark up and share screenshots.

  --capture          start a capture in the running Vornik, or start Vornik capturing
  --preferences      open the Preferences window of the running Vornik, or start
                     Vornik with it open
    --full           take the whole display under the pointer, without the overlay
    --window         take the window under the pointer (needs a window manager that
                     lists its windows: X11)
    --region X,Y,W,H take that rectangle of the desktop (on one display)
    --save [PATH]    write the PNG to PATH, or into the save folder, and print its path
                     (what a mode does unless told otherwise)
    --copy           put the picture on the clipboard
    --upload         upload the picture and print its link
    --output -       write the PNG to standard output
    --delay SECONDS  wait first, counting down in the tray&apos;s tool tip
                     A failed capture exits with status 1 and one line on stderr;
                     a wrong command line with status 2.
  --set-service URL  upload to the sharing service at URL from now on (kept in the
                     settings as serviceurl) and exit
  --ca-file FILE     with --set-service: also trust the PEM certificate in FILE for it
                     (kept as servicecafile; left out, an earlier one is cleared)
  --user-id          print the id this Vornik uploads as (for a server that takes
                     only registered users) and exit
  --version          print the version and exit
  --help             print this help and exit

Hot keys: Ctrl+Shift+9 and Ctrl+F9. Settings: $XDG_CONFIG_HOME/Vornik/Vornik.conf
</source>
        <extracomment>The output of `vornik --help`. Keep the option names, URL, FILE, PATH, SECONDS, X,Y,W,H, the hot keys, serviceurl, servicecafile and the settings path as they are, and the columns aligned; lines should stay within 100 characters.</extracomment>
        <translation>Aufruf: vornik [--capture | --preferences | --user-id | --version | --help]
        vornik --capture [--full | --window | --region X,Y,W,H]
                         [--copy | --save [PATH] | --upload | --output -] [--delay SECONDS]
        vornik --set-service URL [--ca-file FILE]
Vornik lebt im Systembereich der Kontrollleiste: Bildschirmfotos aufnehmen, beschriften, teilen.

  --capture          eine Aufnahme im laufenden Vornik starten oder Vornik mit einer Aufnahme
                     starten
  --preferences      das Einstellungsfenster des laufenden Vornik öffnen oder Vornik mit
                     geöffnetem Einstellungsfenster starten
    --full           den ganzen Bildschirm unter dem Mauszeiger aufnehmen, ohne Überlagerung
    --window         das Fenster unter dem Mauszeiger aufnehmen (braucht eine Fensterverwaltung,
                     die ihre Fenster auflistet: X11)
    --region X,Y,W,H dieses Rechteck der Arbeitsfläche aufnehmen (auf einem Bildschirm)
    --save [PATH]    das PNG nach PATH oder in den Speicherordner schreiben und den Pfad ausgeben
                     (was eine Aufnahmeart tut, wenn nichts anderes angegeben ist)
    --copy           das Bild in die Zwischenablage legen
    --upload         das Bild hochladen und seinen Link ausgeben
    --output -       das PNG auf die Standardausgabe schreiben
    --delay SECONDS  erst warten, mit Countdown im Tooltip des Symbols in der Kontrollleiste
                     Eine fehlgeschlagene Aufnahme endet mit Status 1 und einer Zeile auf stderr,
                     eine falsche Befehlszeile mit Status 2.
  --set-service URL  ab jetzt zum Freigabedienst unter URL hochladen (in den Einstellungen
                     als serviceurl gespeichert) und beenden
  --ca-file FILE     mit --set-service: dafür auch dem PEM-Zertifikat in FILE vertrauen
                     (als servicecafile gespeichert; ohne diese Option wird ein früheres gelöscht)
  --user-id          die Kennung ausgeben, mit der dieses Vornik hochlädt (für Server, die nur
                     registrierte Benutzer annehmen), und beenden
  --version          die Version ausgeben und beenden
  --help             diese Hilfe ausgeben und beenden

Tastenkürzel: Ctrl+Shift+9 und Ctrl+F9. Einstellungen: $XDG_CONFIG_HOME/Vornik/Vornik.conf
</translation>
    </message>
    <message>
        <source>Vornik is already running; its window is open.</source>
        <translation>Vornik läuft bereits; sein Fenster ist geöffnet.</translation>
    </message>
    <message>
        <source>--full, --window, --region, --copy, --save, --upload, --output and --delay go with --capture</source>
        <translation>--full, --window, --region, --copy, --save, --upload, --output und --delay gehören zu --capture</translation>
    </message>
    <message>
        <source>give only one of --full, --window and --region</source>
        <translation>geben Sie nur eines von --full, --window und --region an</translation>
    </message>
    <message>
        <source>give only one of --copy, --save, --upload and --output</source>
        <translation>geben Sie nur eines von --copy, --save, --upload und --output an</translation>
    </message>
    <message>
        <source>--copy, --save, --upload and --output need --full, --window or --region</source>
        <translation>--copy, --save, --upload und --output brauchen --full, --window oder --region</translation>
    </message>
    <message>
        <source>--output takes - (standard output)</source>
        <translation>--output nimmt nur - (Standardausgabe)</translation>
    </message>
    <message>
        <source>--region takes X,Y,W,H with a positive width and height</source>
        <translation>--region erwartet X,Y,W,H mit positiver Breite und Höhe</translation>
    </message>
    <message>
        <source>--delay takes a whole number of seconds up to 3600</source>
        <translation>--delay erwartet eine ganze Zahl von Sekunden bis 3600</translation>
    </message>
</context>
<context>
    <name>EditorToolTips</name>
    <message>
        <source>Pixelate, to hide what is under it; a filled rectangle hides it for sure</source>
        <translation>Verpixeln, um Darunterliegendes zu verbergen; ein gefülltes Rechteck verbirgt es sicher</translation>
    </message>
    <message>
        <source>Blur, to hide what is under it; a filled rectangle hides it for sure</source>
        <translation>Weichzeichnen, um Darunterliegendes zu verbergen; ein gefülltes Rechteck verbirgt es sicher</translation>
    </message>
    <message>
        <source>Highlighter</source>
        <translation>Textmarker</translation>
    </message>
    <message>
        <source>Numbered marker</source>
        <translation>Nummerierte Markierung</translation>
    </message>
    <message>
        <source>Pen</source>
        <translation>Stift</translation>
    </message>
    <message>
        <source>Save the picture to a file</source>
        <translation>Bild in eine Datei speichern</translation>
    </message>
    <message>
        <source>Upload the picture and copy its link</source>
        <translation>Bild hochladen und seinen Link kopieren</translation>
    </message>
    <message>
        <source>Copy the picture to the clipboard</source>
        <translation>Bild in die Zwischenablage kopieren</translation>
    </message>
    <message>
        <source>Select and move figures</source>
        <translation>Figuren auswählen und verschieben</translation>
    </message>
    <message>
        <source>Rectangle</source>
        <translation>Rechteck</translation>
    </message>
    <message>
        <source>Ellipse</source>
        <translation>Ellipse</translation>
    </message>
    <message>
        <source>Line</source>
        <translation>Linie</translation>
    </message>
    <message>
        <source>Arrow</source>
        <translation>Pfeil</translation>
    </message>
    <message>
        <source>Filled rectangle</source>
        <translation>Gefülltes Rechteck</translation>
    </message>
    <message>
        <source>Filled ellipse</source>
        <translation>Gefüllte Ellipse</translation>
    </message>
    <message>
        <source>Text</source>
        <translation>Text</translation>
    </message>
    <message>
        <source>Larger text</source>
        <translation>Größerer Text</translation>
    </message>
    <message>
        <source>Smaller text</source>
        <translation>Kleinerer Text</translation>
    </message>
    <message>
        <source>Line width</source>
        <translation>Linienbreite</translation>
    </message>
    <message>
        <source>Line color</source>
        <translation>Linienfarbe</translation>
    </message>
    <message>
        <source>Fill color</source>
        <translation>Füllfarbe</translation>
    </message>
    <message>
        <source>Pin to the screen</source>
        <translation>An den Bildschirm anheften</translation>
    </message>
    <message>
        <source>Copy the text in the picture</source>
        <translation>Text im Bild kopieren</translation>
    </message>
</context>
<context>
    <name>EditorWindow</name>
    <message>
        <source>Vornik editor</source>
        <translation>Vornik-Editor</translation>
    </message>
</context>
<context>
    <name>FigureKind</name>
    <message>
        <source>arrow</source>
        <translation>Pfeil</translation>
    </message>
    <message>
        <source>blur</source>
        <translation>Weichzeichnung</translation>
    </message>
    <message>
        <source>counter</source>
        <translation>Nummer</translation>
    </message>
    <message>
        <source>ellipse</source>
        <translation>Ellipse</translation>
    </message>
    <message>
        <source>highlighter</source>
        <translation>Markierung</translation>
    </message>
    <message>
        <source>line</source>
        <translation>Linie</translation>
    </message>
    <message>
        <source>pen</source>
        <translation>Freihandlinie</translation>
    </message>
    <message>
        <source>pixelate</source>
        <translation>Verpixelung</translation>
    </message>
    <message>
        <source>rectangle</source>
        <translation>Rechteck</translation>
    </message>
    <message>
        <source>text</source>
        <translation>Text</translation>
    </message>
</context>
<context>
    <name>FigureSteps</name>
    <message>
        <source>Add %1</source>
        <extracomment>The undo step of a new figure; %1 is its kind, &quot;ellipse&quot; for instance.</extracomment>
        <translation>%1 hinzufügen</translation>
    </message>
    <message>
        <source>Forget figure</source>
        <translation>Figur verwerfen</translation>
    </message>
    <message>
        <source>Move figure</source>
        <translation>Figur verschieben</translation>
    </message>
    <message>
        <source>Delete figure</source>
        <translation>Figur löschen</translation>
    </message>
    <message>
        <source>Text size</source>
        <translation>Textgröße</translation>
    </message>
</context>
<context>
    <name>FilePanels</name>
    <message>
        <source>Images (%1)</source>
        <extracomment>The file type filter of file panels; %1 is the patterns, &quot;*.png&quot; for instance.</extracomment>
        <translation>Bilder (%1)</translation>
    </message>
    <message>
        <source>Select Image</source>
        <translation>Bild auswählen</translation>
    </message>
</context>
<context>
    <name>GlobalHotKeys</name>
    <message>
        <source>Take a Vornik screenshot (%1)</source>
        <extracomment>The shortcut&apos;s description in the desktop&apos;s settings; %1 is its keys.</extracomment>
        <translation>Ein Vornik-Bildschirmfoto aufnehmen (%1)</translation>
    </message>
    <message>
        <source>Vornik: this desktop gives applications no global hot keys; bind Ctrl+Shift+9 to the command &quot;vornik --capture&quot; in its keyboard shortcut settings (the README shows how for GNOME, KDE and sway)</source>
        <extracomment>Keep &quot;vornik --capture&quot; as it is: it is the command to bind.</extracomment>
        <translation>Vornik: Diese Arbeitsumgebung bietet Anwendungen keine globalen Tastenkürzel; legen Sie Ctrl+Shift+9 in ihren Tastenkürzel-Einstellungen auf den Befehl &quot;vornik --capture&quot; (die README zeigt, wie das unter GNOME, KDE und sway geht)</translation>
    </message>
</context>
<context>
    <name>HistoryPreview</name>
    <message>
        <source>Drop an upload here to preview it; click the preview to open it</source>
        <translation>Einen Upload hier ablegen, um ihn in der Vorschau zu sehen; auf die Vorschau klicken, um ihn zu öffnen</translation>
    </message>
</context>
<context>
    <name>HistoryRows</name>
    <message>
        <source>no image code for</source>
        <translation>kein Bildcode für</translation>
    </message>
</context>
<context>
    <name>HistoryTable</name>
    <message>
        <source>Uploads</source>
        <translation>Uploads</translation>
    </message>
    <message>
        <source>URL</source>
        <translation>URL</translation>
    </message>
    <message>
        <source>Uploaded</source>
        <extracomment>The title of the column of upload times.</extracomment>
        <translation>Hochgeladen</translation>
    </message>
</context>
<context>
    <name>HistoryTableModel</name>
    <message>
        <source>%1 (banner)</source>
        <translation>%1 (Banner)</translation>
    </message>
    <message>
        <source>Your banner image: every image you share shows it, so it cannot be deleted</source>
        <translation>Ihr Bannerbild: Jedes Bild, das Sie teilen, zeigt es, daher kann es nicht gelöscht werden</translation>
    </message>
</context>
<context>
    <name>HistoryWindow</name>
    <message>
        <source>Vornik upload history</source>
        <translation>Vornik-Upload-Verlauf</translation>
    </message>
    <message>
        <source>Open</source>
        <extracomment>An entry of an upload&apos;s menu: opens its link.</extracomment>
        <translation>Öffnen</translation>
    </message>
    <message>
        <source>Copy link</source>
        <translation>Link kopieren</translation>
    </message>
    <message>
        <source>Delete</source>
        <extracomment>An entry of an upload&apos;s menu: deletes it from the sharing service.</extracomment>
        <translation>Löschen</translation>
    </message>
</context>
<context>
    <name>LauncherWindow</name>
    <message>
        <source>No system tray is running, so Vornik has no icon. A tray gives quicker access (on GNOME, the AppIndicator extension); until then, starting Vornik again opens this window.</source>
        <translation>Es läuft kein Systembereich der Kontrollleiste, daher hat Vornik kein Symbol. Eine Kontrollleiste bietet schnelleren Zugriff (unter GNOME die Erweiterung AppIndicator); bis dahin öffnet ein erneuter Start von Vornik dieses Fenster.</translation>
    </message>
</context>
<context>
    <name>LineWidthView</name>
    <message>
        <source>Thinnest</source>
        <extracomment>The five line widths of the editor, from the thinnest to the thickest.</extracomment>
        <translation>Am dünnsten</translation>
    </message>
    <message>
        <source>Thin</source>
        <translation>Dünn</translation>
    </message>
    <message>
        <source>Thick</source>
        <translation>Dick</translation>
    </message>
    <message>
        <source>Thicker</source>
        <translation>Dicker</translation>
    </message>
    <message>
        <source>Thickest</source>
        <translation>Am dicksten</translation>
    </message>
</context>
<context>
    <name>Notifier</name>
    <message>
        <source>Open</source>
        <extracomment>A button of the notification about a saved file: opens the file.</extracomment>
        <translation>Öffnen</translation>
    </message>
    <message>
        <source>Show in folder</source>
        <translation>Im Ordner zeigen</translation>
    </message>
    <message>
        <source>Open link</source>
        <translation>Link öffnen</translation>
    </message>
</context>
<context>
    <name>OutputMessages</name>
    <message>
        <source>Clipboard notification</source>
        <translation>Zwischenablage</translation>
    </message>
    <message>
        <source>Your image was saved to the clipboard.</source>
        <translation>Ihr Bild wurde in die Zwischenablage kopiert.</translation>
    </message>
    <message>
        <source>Clipboard Error</source>
        <translation>Fehler der Zwischenablage</translation>
    </message>
    <message>
        <source>There was a problem saving your image to the clipboard.</source>
        <translation>Beim Kopieren Ihres Bildes in die Zwischenablage ist ein Problem aufgetreten.</translation>
    </message>
    <message>
        <source>Image Saved</source>
        <translation>Bild gespeichert</translation>
    </message>
    <message>
        <source>Your image has been saved.</source>
        <translation>Ihr Bild wurde gespeichert.</translation>
    </message>
    <message>
        <source>No network connection</source>
        <translation>Keine Netzwerkverbindung</translation>
    </message>
    <message>
        <source>Please check your Internet connection.</source>
        <translation>Bitte prüfen Sie Ihre Internetverbindung.</translation>
    </message>
    <message>
        <source>File Save Error</source>
        <translation>Fehler beim Speichern</translation>
    </message>
    <message>
        <source>Your image couldn&apos;t be saved for upload.</source>
        <translation>Ihr Bild konnte nicht zum Hochladen gespeichert werden.</translation>
    </message>
    <message>
        <source>SAVED TO CLIPBOARD</source>
        <translation>IN DIE ZWISCHENABLAGE KOPIERT</translation>
    </message>
    <message>
        <source>URL to image was copied to clipboard.</source>
        <translation>Die URL des Bildes wurde in die Zwischenablage kopiert.</translation>
    </message>
    <message>
        <source>Your image was uploaded, but its link could not be copied to the clipboard: </source>
        <extracomment>The reason follows after the colon.</extracomment>
        <translation>Ihr Bild wurde hochgeladen, aber sein Link konnte nicht in die Zwischenablage kopiert werden: </translation>
    </message>
    <message>
        <source>File Upload Error</source>
        <translation>Fehler beim Hochladen</translation>
    </message>
    <message>
        <source>There was a problem uploading your image.</source>
        <translation>Beim Hochladen Ihres Bildes ist ein Problem aufgetreten.</translation>
    </message>
    <message>
        <source>Your image could not be saved: </source>
        <extracomment>The reason follows after the colon.</extracomment>
        <translation>Ihr Bild konnte nicht gespeichert werden: </translation>
    </message>
</context>
<context>
    <name>OverlayActions</name>
    <message>
        <source>%1 could not be written</source>
        <extracomment>%1 is the picture&apos;s file.</extracomment>
        <translation>%1 konnte nicht geschrieben werden</translation>
    </message>
    <message>
        <source>. It was kept at %1</source>
        <extracomment>Follows the reason a screenshot was not saved; %1 is where it was kept instead.</extracomment>
        <translation>. Es wurde unter %1 aufbewahrt</translation>
    </message>
</context>
<context>
    <name>OverlayController</name>
    <message>
        <source>Edit screenshot now</source>
        <translation>Bildschirmfoto jetzt bearbeiten</translation>
    </message>
    <message>
        <source>Save screenshot locally</source>
        <translation>Bildschirmfoto lokal speichern</translation>
    </message>
    <message>
        <source>Upload/Share screenshot</source>
        <translation>Bildschirmfoto hochladen/teilen</translation>
    </message>
    <message>
        <source>Copy selection area to clipboard</source>
        <translation>Auswahl in die Zwischenablage kopieren</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Image Editor</source>
        <translation>Bildeditor</translation>
    </message>
    <message>
        <source>The image selection made an incorrect call to the editor.</source>
        <translation>Die Bildauswahl hat den Editor fehlerhaft aufgerufen.</translation>
    </message>
    <message>
        <source>NOT SAVED TO CLIPBOARD</source>
        <translation>NICHT IN DIE ZWISCHENABLAGE KOPIERT</translation>
    </message>
    <message>
        <source>There was a problem copying  the selected URL to clipboard.</source>
        <translation>Beim Kopieren der URL in die Zwischenablage ist ein Problem aufgetreten.</translation>
    </message>
    <message>
        <source>Pin selection to the screen</source>
        <translation>Auswahl an den Bildschirm anheften</translation>
    </message>
    <message>
        <source>Copy text in the selection</source>
        <translation>Text in der Auswahl kopieren</translation>
    </message>
</context>
<context>
    <name>PermissionWindow</name>
    <message>
        <source>Vornik needs you to grant &apos;Screen Recording&apos; access.</source>
        <translation>Vornik braucht Ihre Erlaubnis für die Bildschirmaufnahme.</translation>
    </message>
</context>
<context>
    <name>PermissionWindowContent</name>
    <message>
        <source>Allow Vornik to share your screen.</source>
        <translation>Erlauben Sie Vornik, Ihren Bildschirm zu teilen.</translation>
    </message>
    <message>
        <source>Click &apos;Allow Vornik to Record Screen&apos; to open System Preferences &gt; Security &amp; Privacy to grant access.</source>
        <extracomment>&apos;Allow Vornik to Record Screen&apos; is the button of this window: use its translation.</extracomment>
        <translation>Klicken Sie auf „Bildschirmaufnahme erlauben“, um unter Systemeinstellungen &gt; Sicherheit &amp; Datenschutz den Zugriff zu gewähren.</translation>
    </message>
    <message>
        <source>Allow Vornik to Record Screen</source>
        <translation>Bildschirmaufnahme erlauben</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Help</source>
        <translation>Hilfe</translation>
    </message>
</context>
<context>
    <name>PinWindow</name>
    <message>
        <source>Pinned screenshot</source>
        <translation>Angeheftetes Bildschirmfoto</translation>
    </message>
</context>
<context>
    <name>PreferencesWindow</name>
    <message>
        <source>Vornik Preferences</source>
        <translation>Vornik-Einstellungen</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
    <message>
        <source>Choose…</source>
        <translation>Auswählen …</translation>
    </message>
    <message>
        <source>none: the system&apos;s certificates only</source>
        <translation>keines: nur die Zertifikate des Systems</translation>
    </message>
    <message>
        <source>Sharing service:</source>
        <translation>Freigabedienst:</translation>
    </message>
    <message>
        <source>Certificate file:</source>
        <translation>Zertifikatsdatei:</translation>
    </message>
    <message>
        <source>Test</source>
        <translation>Testen</translation>
    </message>
    <message>
        <source>Save folder:</source>
        <translation>Speicherordner:</translation>
    </message>
    <message>
        <source>Capture hot key:</source>
        <translation>Tastenkürzel für Aufnahmen:</translation>
    </message>
    <message>
        <source>Second capture hot key:</source>
        <translation>Zweites Tastenkürzel für Aufnahmen:</translation>
    </message>
    <message>
        <source>No key</source>
        <translation>Kein Kürzel</translation>
    </message>
    <message>
        <source>Start Vornik at login</source>
        <translation>Vornik beim Anmelden starten</translation>
    </message>
    <message>
        <source>Open the saved file after saving</source>
        <translation>Gespeicherte Datei nach dem Speichern öffnen</translation>
    </message>
    <message>
        <source>VORNIK_SERVICE_URL is set and overrides this address.</source>
        <translation>VORNIK_SERVICE_URL ist gesetzt und hat Vorrang vor dieser Adresse.</translation>
    </message>
    <message>
        <source>%1: taken by another program, so it starts no capture; choose another key.</source>
        <translation>%1: von einem anderen Programm belegt, startet daher keine Aufnahme; wählen Sie ein anderes Tastenkürzel.</translation>
    </message>
    <message>
        <source>Not saved: %1.</source>
        <translation>Nicht gespeichert: %1.</translation>
    </message>
    <message>
        <source>Not saved: %1 cannot be written.</source>
        <translation>Nicht gespeichert: %1 kann nicht geschrieben werden.</translation>
    </message>
    <message>
        <source>Uploads go to %1 from now on.</source>
        <translation>Uploads gehen ab jetzt zu %1.</translation>
    </message>
    <message>
        <source>Cannot test: %1.</source>
        <translation>Test nicht möglich: %1.</translation>
    </message>
    <message>
        <source>Asking %1…</source>
        <translation>%1 wird gefragt …</translation>
    </message>
    <message>
        <source>%1 answered, but with an empty salt: it does not look like a Vornik service.</source>
        <translation>%1 hat geantwortet, aber mit einem leeren Salt: Das sieht nicht nach einem Vornik-Dienst aus.</translation>
    </message>
    <message>
        <source>%1 works: it handed out a salt.</source>
        <translation>%1 funktioniert: Der Dienst hat ein Salt ausgegeben.</translation>
    </message>
    <message>
        <source>%1 answered with HTTP status %2 instead of a salt: is this the service&apos;s address?</source>
        <translation>%1 hat mit HTTP-Status %2 statt mit einem Salt geantwortet: Ist das die Adresse des Dienstes?</translation>
    </message>
    <message>
        <source>No answer from %1: %2.</source>
        <translation>Keine Antwort von %1: %2.</translation>
    </message>
    <message>
        <source>%1 answered with something that is not a salt.</source>
        <translation>%1 hat mit etwas geantwortet, das kein Salt ist.</translation>
    </message>
    <message>
        <source>Certificate of the sharing service</source>
        <translation>Zertifikat des Freigabedienstes</translation>
    </message>
    <message>
        <source>Folder for saved screenshots</source>
        <translation>Ordner für gespeicherte Bildschirmfotos</translation>
    </message>
    <message>
        <source>%1 is already the other capture key.</source>
        <translation>%1 ist bereits das andere Tastenkürzel für Aufnahmen.</translation>
    </message>
    <message>
        <source>This capture key is off.</source>
        <translation>Dieses Tastenkürzel für Aufnahmen ist aus.</translation>
    </message>
    <message>
        <source>%1 now starts a capture.</source>
        <translation>%1 startet jetzt eine Aufnahme.</translation>
    </message>
    <message>
        <source>%1 is taken by another program; the capture key stays %2.</source>
        <translation>%1 ist von einem anderen Programm belegt; das Tastenkürzel für Aufnahmen bleibt %2.</translation>
    </message>
    <message>
        <source>off</source>
        <translation>aus</translation>
    </message>
</context>
<context>
    <name>QObject</name>
    <message>
        <source>Recolor</source>
        <translation>Umfärben</translation>
    </message>
    <message>
        <source>Edit text</source>
        <translation>Text bearbeiten</translation>
    </message>
    <message>
        <source>Waiting for permission</source>
        <translation>Warten auf Erlaubnis</translation>
    </message>
    <message>
        <source>Vornik is waiting for the desktop&apos;s permission to take a screenshot. Allow it in the desktop&apos;s dialog and the capture goes on.</source>
        <translation>Vornik wartet auf die Erlaubnis der Arbeitsumgebung, ein Bildschirmfoto aufzunehmen. Erlauben Sie es im Dialog der Arbeitsumgebung, dann wird die Aufnahme fortgesetzt.</translation>
    </message>
    <message>
        <source>Screenshot not allowed</source>
        <translation>Bildschirmfoto nicht erlaubt</translation>
    </message>
    <message>
        <source>The desktop did not allow Vornik to take a screenshot. Allow it when the desktop asks again, or in its privacy settings (Screenshots).</source>
        <translation>Die Arbeitsumgebung hat Vornik kein Bildschirmfoto erlaubt. Erlauben Sie es, wenn die Arbeitsumgebung erneut fragt, oder in ihren Datenschutzeinstellungen (Bildschirmfotos).</translation>
    </message>
</context>
<context>
    <name>RecentUploadsMenu</name>
    <message>
        <source>History</source>
        <translation>Verlauf</translation>
    </message>
    <message>
        <source>No network connection</source>
        <translation>Keine Netzwerkverbindung</translation>
    </message>
    <message>
        <source>Please check your Internet connection.</source>
        <translation>Bitte prüfen Sie Ihre Internetverbindung.</translation>
    </message>
    <message>
        <source>%1 - view</source>
        <extracomment>A recent upload in the History menu; %1 is its upload time.</extracomment>
        <translation>%1 – ansehen</translation>
    </message>
    <message>
        <source>View all history</source>
        <translation>Gesamten Verlauf ansehen</translation>
    </message>
</context>
<context>
    <name>SaveFolder</name>
    <message>
        <source>the folder %1 could not be made</source>
        <translation>der Ordner %1 konnte nicht angelegt werden</translation>
    </message>
    <message numerus="yes">
        <source>%1 already holds %n screenshots of that second</source>
        <extracomment>%1 is a folder; %n is the number of screenshots a second may have (1000).</extracomment>
        <translation>
            <numerusform>%1 enthält bereits %n Bildschirmfoto dieser Sekunde</numerusform>
            <numerusform>%1 enthält bereits %n Bildschirmfotos dieser Sekunde</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>ScreenCapture</name>
    <message>
        <source>Vornik did not take the screenshot, because its temporary folder is not private: %1. Remove it or give it to your account with mode 700.</source>
        <extracomment>%1 says what is wrong with the folder, &quot;/tmp/Vornik is a symbolic link&quot; for instance.</extracomment>
        <translation>Vornik hat kein Bildschirmfoto aufgenommen, weil sein temporärer Ordner nicht privat ist: %1. Entfernen Sie ihn oder übertragen Sie ihn mit Modus 700 an Ihr Benutzerkonto.</translation>
    </message>
    <message>
        <source>Temporary Folder Error</source>
        <translation>Fehler im temporären Ordner</translation>
    </message>
    <message>
        <source>Click a window to select it.</source>
        <translation>Klicken Sie auf ein Fenster, um es auszuwählen.</translation>
    </message>
</context>
<context>
    <name>ScriptedCapture</name>
    <message>
        <source>the sharing service answered with status %1</source>
        <translation>der Freigabedienst hat mit Status %1 geantwortet</translation>
    </message>
    <message>
        <source>the sharing service could not be reached (%1)</source>
        <translation>der Freigabedienst war nicht erreichbar (%1)</translation>
    </message>
    <message>
        <source>the sharing service&apos;s answer could not be read</source>
        <translation>die Antwort des Freigabedienstes konnte nicht gelesen werden</translation>
    </message>
    <message>
        <source>the picture could not be written for the upload</source>
        <translation>das Bild konnte nicht zum Hochladen geschrieben werden</translation>
    </message>
    <message>
        <source>the sharing service&apos;s answer is not a link</source>
        <translation>die Antwort des Freigabedienstes ist kein Link</translation>
    </message>
    <message>
        <source>there is no window under the pointer</source>
        <translation>unter dem Mauszeiger ist kein Fenster</translation>
    </message>
    <message>
        <source>there is no display</source>
        <translation>es gibt keinen Bildschirm</translation>
    </message>
    <message>
        <source>the region %1,%2,%3,%4 does not lie on one display</source>
        <translation>der Bereich %1,%2,%3,%4 liegt nicht auf einem Bildschirm</translation>
    </message>
    <message>
        <source>no capture mode was given</source>
        <translation>es wurde keine Aufnahmeart angegeben</translation>
    </message>
    <message>
        <source>the display could not be captured</source>
        <translation>der Bildschirm konnte nicht aufgenommen werden</translation>
    </message>
    <message>
        <source>the picture could not be encoded</source>
        <translation>das Bild konnte nicht kodiert werden</translation>
    </message>
    <message>
        <source>the desktop did not take the picture onto the clipboard</source>
        <translation>die Arbeitsumgebung hat das Bild nicht in die Zwischenablage übernommen</translation>
    </message>
    <message>
        <source>%1 could not be written</source>
        <translation>%1 konnte nicht geschrieben werden</translation>
    </message>
    <message>
        <source>%1; the picture was kept at %2</source>
        <translation>%1; das Bild wurde unter %2 aufbewahrt</translation>
    </message>
</context>
<context>
    <name>SegmentedToolBar</name>
    <message>
        <source>Editor tools</source>
        <translation>Editor-Werkzeuge</translation>
    </message>
</context>
<context>
    <name>SelectionGeometry</name>
    <message>
        <source>width:%1: height:%2</source>
        <extracomment>The size of the selection, shown beside it while it is drawn; %1 is the width and %2 the height, in pixels.</extracomment>
        <translation>Breite:%1: Höhe:%2</translation>
    </message>
</context>
<context>
    <name>ServiceSetting</name>
    <message>
        <source>%1 is not an http:// or https:// address</source>
        <extracomment>%1 is the address as given.</extracomment>
        <translation>%1 ist keine http://- oder https://-Adresse</translation>
    </message>
    <message>
        <source>%1: the service address takes no user, query or fragment</source>
        <extracomment>%1 is the address as given.</extracomment>
        <translation>%1: Die Adresse des Dienstes darf keinen Benutzer, keine Abfrage und kein Fragment enthalten</translation>
    </message>
    <message>
        <source>cannot read the certificate file %1</source>
        <extracomment>%1 is the certificate file.</extracomment>
        <translation>die Zertifikatsdatei %1 kann nicht gelesen werden</translation>
    </message>
    <message>
        <source>%1 holds no PEM certificate</source>
        <extracomment>%1 is the certificate file.</extracomment>
        <translation>%1 enthält kein PEM-Zertifikat</translation>
    </message>
</context>
<context>
    <name>TempFolder</name>
    <message>
        <source>%1 could not be made: %2</source>
        <extracomment>%1 is a folder, %2 the system&apos;s reason.</extracomment>
        <translation>%1 konnte nicht angelegt werden: %2</translation>
    </message>
    <message>
        <source>%1 is a symbolic link</source>
        <translation>%1 ist eine symbolische Verknüpfung</translation>
    </message>
    <message>
        <source>%1 is not a folder</source>
        <translation>%1 ist kein Ordner</translation>
    </message>
    <message>
        <source>%1 belongs to another user (uid %2)</source>
        <extracomment>%1 is a folder, %2 the number of the user it belongs to.</extracomment>
        <translation>%1 gehört einem anderen Benutzer (UID %2)</translation>
    </message>
    <message>
        <source>%1 may be entered by other users (mode %2)</source>
        <extracomment>%1 is a folder, %2 its permissions in octal, &quot;755&quot; for instance.</extracomment>
        <translation>%1 kann von anderen Benutzern betreten werden (Modus %2)</translation>
    </message>
</context>
<context>
    <name>TextCopy</name>
    <message>
        <source>Text not copied</source>
        <translation>Text nicht kopiert</translation>
    </message>
    <message>
        <source>No text found</source>
        <translation>Kein Text gefunden</translation>
    </message>
    <message>
        <source>Vornik found no text in the picture; the clipboard is unchanged.</source>
        <translation>Vornik hat im Bild keinen Text gefunden; die Zwischenablage bleibt unverändert.</translation>
    </message>
    <message>
        <source>Text copied</source>
        <translation>Text kopiert</translation>
    </message>
    <message>
        <source>The desktop did not take the text for its clipboard.</source>
        <translation>Die Arbeitsumgebung hat den Text nicht in die Zwischenablage übernommen.</translation>
    </message>
</context>
<context>
    <name>TextEntryView</name>
    <message>
        <source>Type the text, then click where it goes</source>
        <translation>Text eingeben, dann an seine Stelle klicken</translation>
    </message>
    <message>
        <source>Text of the next text figure</source>
        <translation>Text der nächsten Textfigur</translation>
    </message>
</context>
<context>
    <name>TextRecognizer</name>
    <message>
        <source>Vornik&apos;s text recognition could not be loaded: %1.</source>
        <translation>Die Texterkennung von Vornik konnte nicht geladen werden: %1.</translation>
    </message>
    <message>
        <source>Tesseract&apos;s English data (tesseract-ocr-eng) is not installed.</source>
        <translation>Die englischen Daten von Tesseract (tesseract-ocr-eng) sind nicht installiert.</translation>
    </message>
</context>
<context>
    <name>TopLevelWindows</name>
    <message>
        <source>This display server does not tell programs where other windows are, so Vornik cannot select the window under the pointer.</source>
        <translation>Dieser Anzeigeserver teilt Programmen nicht mit, wo andere Fenster sind, daher kann Vornik das Fenster unter dem Mauszeiger nicht auswählen.</translation>
    </message>
    <message>
        <source>No window manager lists its windows on this display, so Vornik cannot select the window under the pointer.</source>
        <translation>Auf diesem Bildschirm listet keine Fensterverwaltung ihre Fenster auf, daher kann Vornik das Fenster unter dem Mauszeiger nicht auswählen.</translation>
    </message>
</context>
<context>
    <name>TrashDropTarget</name>
    <message>
        <source>Drop uploads here to delete them</source>
        <translation>Uploads hier ablegen, um sie zu löschen</translation>
    </message>
    <message>
        <source>No network connection</source>
        <translation>Keine Netzwerkverbindung</translation>
    </message>
    <message>
        <source>Please check your Internet connection.</source>
        <translation>Bitte prüfen Sie Ihre Internetverbindung.</translation>
    </message>
    <message>
        <source>Banner images can&apos;t be cancelled</source>
        <extracomment>The title and text of the notice when the current banner image was dropped on the trash.</extracomment>
        <translation>Bannerbilder können nicht gelöscht werden</translation>
    </message>
    <message>
        <source>Deletion Denied</source>
        <translation>Löschen verweigert</translation>
    </message>
    <message>
        <source>Delete this upload from the sharing service?</source>
        <translation>Diesen Upload vom Freigabedienst löschen?</translation>
    </message>
    <message numerus="yes">
        <source>Delete these %n uploads from the sharing service?</source>
        <extracomment>%n is the number of uploads dropped on the trash (2 or more).</extracomment>
        <translation>
            <numerusform>Diesen %n Upload vom Freigabedienst löschen?</numerusform>
            <numerusform>Diese %n Uploads vom Freigabedienst löschen?</numerusform>
        </translation>
    </message>
    <message>
        <source> The banner image is kept.</source>
        <extracomment>Follows the question, after its question mark.</extracomment>
        <translation> Das Bannerbild bleibt erhalten.</translation>
    </message>
    <message>
        <source>Delete uploads</source>
        <translation>Uploads löschen</translation>
    </message>
    <message>
        <source>Delete</source>
        <extracomment>The button that confirms the deletion.</extracomment>
        <translation>Löschen</translation>
    </message>
</context>
<context>
    <name>TrayApp</name>
    <message>
        <source>About/Usage Video For Vornik %1</source>
        <extracomment>%1 is the version, &quot;1.2&quot; for instance.</extracomment>
        <translation>Über Vornik %1/Einführungsvideo</translation>
    </message>
    <message>
        <source>Vornik %1 help</source>
        <extracomment>%1 is the version, &quot;1.2&quot; for instance.</extracomment>
        <translation>Hilfe zu Vornik %1</translation>
    </message>
    <message>
        <source>Vornik tools</source>
        <translation>Vornik-Werkzeuge</translation>
    </message>
    <message>
        <source>Quit Vornik</source>
        <translation>Vornik beenden</translation>
    </message>
    <message>
        <source>Restart</source>
        <extracomment>Starts Vornik anew.</extracomment>
        <translation>Neu starten</translation>
    </message>
    <message>
        <source>Banner settings</source>
        <translation>Banner-Einstellungen</translation>
    </message>
    <message>
        <source>Set to default banner ....</source>
        <translation>Standardbanner verwenden ....</translation>
    </message>
    <message>
        <source>Change banner image ....</source>
        <translation>Bannerbild ändern ....</translation>
    </message>
    <message>
        <source>Change banner color ....</source>
        <translation>Bannerfarbe ändern ....</translation>
    </message>
    <message>
        <source>Banner window ....</source>
        <translation>Bannerfenster ....</translation>
    </message>
    <message>
        <source>Take Vornik ...</source>
        <translation>Vornik-Aufnahme ...</translation>
    </message>
    <message>
        <source> or </source>
        <extracomment>Joins the names of the hot keys that take a screenshot: &quot;Ctrl+Shift+9 or Ctrl+F9&quot;.</extracomment>
        <translation> oder </translation>
    </message>
    <message>
        <source>Take Vornik ... %1</source>
        <extracomment>The capture entry of the status menu; %1 names the hot keys (&quot;Ctrl+Shift+9 or Ctrl+F9&quot;).</extracomment>
        <translation>Vornik-Aufnahme ... %1</translation>
    </message>
    <message>
        <source>Bring all to front.</source>
        <extracomment>The status item&apos;s title and tool tip while an editor is open: a click on the item raises it.</extracomment>
        <translation>Alle in den Vordergrund.</translation>
    </message>
    <message>
        <source>Vornik - Bring all to front.</source>
        <translation>Vornik – Alle in den Vordergrund.</translation>
    </message>
    <message>
        <source>Vornik could not add itself to the programs started at login: %1 could not be written.</source>
        <extracomment>%1 is the autostart file, ~/.config/autostart/vornik.desktop for instance.</extracomment>
        <translation>Vornik konnte sich nicht zu den beim Anmelden gestarteten Programmen hinzufügen: %1 konnte nicht geschrieben werden.</translation>
    </message>
    <message>
        <source>Vornik could not remove itself from the programs started at login: %1 could not be removed.</source>
        <extracomment>%1 is the autostart file, ~/.config/autostart/vornik.desktop for instance.</extracomment>
        <translation>Vornik konnte sich nicht aus den beim Anmelden gestarteten Programmen entfernen: %1 konnte nicht entfernt werden.</translation>
    </message>
    <message>
        <source>Login Item Error</source>
        <translation>Fehler beim Autostart</translation>
    </message>
    <message>
        <source>No network connection</source>
        <translation>Keine Netzwerkverbindung</translation>
    </message>
    <message>
        <source>Please check your Internet connection.</source>
        <translation>Bitte prüfen Sie Ihre Internetverbindung.</translation>
    </message>
    <message>
        <source>Run Vornik at startup</source>
        <translation>Vornik beim Anmelden starten</translation>
    </message>
    <message>
        <source>Do not run Vornik at startup</source>
        <translation>Vornik nicht beim Anmelden starten</translation>
    </message>
    <message>
        <source>This desktop let Vornik bind no hot key. To take a screenshot, bind a key to the command &quot;vornik --capture&quot; in the desktop&apos;s keyboard shortcut settings, or choose &quot;%1&quot; in Vornik&apos;s tray menu.</source>
        <translation>Diese Arbeitsumgebung hat Vornik kein Tastenkürzel belegen lassen. Um ein Bildschirmfoto aufzunehmen, legen Sie in den Tastenkürzel-Einstellungen der Arbeitsumgebung eine Taste auf den Befehl &quot;vornik --capture&quot; oder wählen Sie „%1“ im Menü von Vornik in der Kontrollleiste.</translation>
    </message>
    <message>
        <source>Press %1 to take a screenshot, or choose &quot;%2&quot; in Vornik&apos;s tray menu.</source>
        <translation>Drücken Sie %1, um ein Bildschirmfoto aufzunehmen, oder wählen Sie „%2“ im Menü von Vornik in der Kontrollleiste.</translation>
    </message>
    <message>
        <source>Vornik is ready</source>
        <translation>Vornik ist bereit</translation>
    </message>
    <message>
        <source>Sharing service</source>
        <translation>Freigabedienst</translation>
    </message>
    <message>
        <source>The address of the sharing service to upload to:</source>
        <translation>Die Adresse des Freigabedienstes, zu dem hochgeladen wird:</translation>
    </message>
    <message>
        <source>%1 could not be written.</source>
        <translation>%1 konnte nicht geschrieben werden.</translation>
    </message>
    <message>
        <source>Sharing Service Error</source>
        <translation>Fehler des Freigabedienstes</translation>
    </message>
    <message>
        <source>Sharing service set up</source>
        <translation>Freigabedienst eingerichtet</translation>
    </message>
    <message>
        <source>Vornik uploads to %1 from now on. Failed uploads are sent again from &quot;Unsent uploads&quot; in the tray menu&apos;s tools; a certificate to trust is set with &quot;vornik --set-service URL --ca-file FILE&quot;.</source>
        <translation>Vornik lädt ab jetzt zu %1 hoch. Fehlgeschlagene Uploads werden unter „Nicht gesendete Uploads“ in den Werkzeugen des Kontrollleisten-Menüs erneut gesendet; ein vertrauenswürdiges Zertifikat wird mit &quot;vornik --set-service URL --ca-file FILE&quot; festgelegt.</translation>
    </message>
    <message>
        <source>nothing on this desktop can take a picture of the screen</source>
        <translation>nichts in dieser Arbeitsumgebung kann ein Bild des Bildschirms aufnehmen</translation>
    </message>
    <message numerus="yes">
        <source>Vornik: screenshot in %n s</source>
        <translation>
            <numerusform>Vornik: Bildschirmfoto in %n s</numerusform>
            <numerusform>Vornik: Bildschirmfoto in %n s</numerusform>
        </translation>
    </message>
    <message>
        <source>Preferences…</source>
        <translation>Einstellungen …</translation>
    </message>
</context>
<context>
    <name>UnsentUploadsMenu</name>
    <message>
        <source>Unsent uploads</source>
        <translation>Nicht gesendete Uploads</translation>
    </message>
    <message>
        <source>No unsent uploads</source>
        <translation>Keine nicht gesendeten Uploads</translation>
    </message>
    <message numerus="yes">
        <source>Retry all (%n)</source>
        <translation>
            <numerusform>Alle erneut senden (%n)</numerusform>
            <numerusform>Alle erneut senden (%n)</numerusform>
        </translation>
    </message>
    <message>
        <source>Retry the capture of %1</source>
        <translation>Aufnahme vom %1 erneut senden</translation>
    </message>
</context>
<context>
    <name>UploadFailure</name>
    <message>
        <source>No sharing service is set up yet (Vornik tried %1).</source>
        <translation>Es ist noch kein Freigabedienst eingerichtet (Vornik hat %1 versucht).</translation>
    </message>
    <message>
        <source>The sharing service at %1 is not running: it refused the connection.</source>
        <translation>Der Freigabedienst unter %1 läuft nicht: Er hat die Verbindung abgelehnt.</translation>
    </message>
    <message>
        <source>The sharing service&apos;s host %1 could not be found.</source>
        <translation>Der Rechner %1 des Freigabedienstes wurde nicht gefunden.</translation>
    </message>
    <message>
        <source>The sharing service at %1 did not answer in time.</source>
        <translation>Der Freigabedienst unter %1 hat nicht rechtzeitig geantwortet.</translation>
    </message>
    <message>
        <source>The certificate of the sharing service at %1 is not trusted (%2). Name the certificate to trust with &quot;vornik --set-service URL --ca-file FILE&quot;.</source>
        <translation>Dem Zertifikat des Freigabedienstes unter %1 wird nicht vertraut (%2). Geben Sie das vertrauenswürdige Zertifikat mit &quot;vornik --set-service URL --ca-file FILE&quot; an.</translation>
    </message>
    <message>
        <source>The sharing service at %1 could not be reached: %2.</source>
        <translation>Der Freigabedienst unter %1 war nicht erreichbar: %2.</translation>
    </message>
    <message>
        <source>The sharing service refused the picture as too large (error 413).</source>
        <translation>Der Freigabedienst hat das Bild als zu groß abgelehnt (Fehler 413).</translation>
    </message>
    <message>
        <source>The sharing service answered with error %1.</source>
        <translation>Der Freigabedienst hat mit Fehler %1 geantwortet.</translation>
    </message>
    <message>
        <source>The sharing service answered with error %1: %2.</source>
        <translation>Der Freigabedienst hat mit Fehler %1 geantwortet: %2.</translation>
    </message>
    <message>
        <source>The sharing service&apos;s answer could not be read.</source>
        <translation>Die Antwort des Freigabedienstes konnte nicht gelesen werden.</translation>
    </message>
    <message>
        <source>The picture&apos;s file was not there to send.</source>
        <translation>Die Datei des Bildes war zum Senden nicht vorhanden.</translation>
    </message>
    <message>
        <source>The picture&apos;s file could not be read: %1.</source>
        <translation>Die Datei des Bildes konnte nicht gelesen werden: %1.</translation>
    </message>
    <message>
        <source>The sharing service&apos;s answer was not a link to the picture.</source>
        <translation>Die Antwort des Freigabedienstes war kein Link zum Bild.</translation>
    </message>
    <message>
        <source>Retry</source>
        <translation>Erneut senden</translation>
    </message>
    <message>
        <source>Set up a sharing service…</source>
        <translation>Freigabedienst einrichten …</translation>
    </message>
</context>
<context>
    <name>UploadHandOff</name>
    <message>
        <source> It was kept at %1</source>
        <extracomment>Follows a message about a failed upload, after its full stop; %1 is the picture&apos;s file.</extracomment>
        <translation> Es wurde unter %1 aufbewahrt</translation>
    </message>
</context>
<context>
    <name>main</name>
    <message>
        <source>Vornik could not be started</source>
        <translation>Vornik konnte nicht gestartet werden</translation>
    </message>
    <message>
        <source>the running Vornik did not answer</source>
        <translation>das laufende Vornik hat nicht geantwortet</translation>
    </message>
</context>
</TS>
