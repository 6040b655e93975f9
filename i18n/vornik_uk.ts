<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="uk_UA">
<context>
    <name>BannerActions</name>
    <message>
        <source>File Save Error</source>
        <translation>Помилка збереження файлу</translation>
    </message>
    <message>
        <source>Your banner image couldn&apos;t be saved on your computer.</source>
        <translation>Не вдалося зберегти зображення банера на вашому комп’ютері.</translation>
    </message>
    <message>
        <source>File Upload Error</source>
        <translation>Помилка вивантаження файлу</translation>
    </message>
    <message>
        <source>There was a problem uploading your banner image.</source>
        <translation>Під час вивантаження зображення банера сталася помилка.</translation>
    </message>
    <message>
        <source>Banner</source>
        <extracomment>The title of notifications about the banner.</extracomment>
        <translation>Банер</translation>
    </message>
    <message>
        <source>Banner color change has been cancelled.</source>
        <translation>Зміну кольору банера скасовано.</translation>
    </message>
    <message>
        <source>New banner color information is uploaded.</source>
        <translation>Новий колір банера вивантажено.</translation>
    </message>
    <message>
        <source>Select PNG Image (Should be 40 px wide)</source>
        <translation>Виберіть зображення PNG (завширшки 40 px)</translation>
    </message>
    <message>
        <source>Banner Image Action</source>
        <translation>Зображення банера</translation>
    </message>
    <message>
        <source>Banner Image Uploaded!</source>
        <translation>Зображення банера вивантажено!</translation>
    </message>
    <message>
        <source>Reset complete.</source>
        <translation>Скидання завершено.</translation>
    </message>
</context>
<context>
    <name>BannerColorPicker</name>
    <message>
        <source>Banner color</source>
        <translation>Колір банера</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Скасувати</translation>
    </message>
</context>
<context>
    <name>BannerColorWindow</name>
    <message>
        <source>Banner color</source>
        <translation>Колір банера</translation>
    </message>
</context>
<context>
    <name>BannerPreview</name>
    <message>
        <source>Banner preview</source>
        <translation>Попередній перегляд банера</translation>
    </message>
</context>
<context>
    <name>BannerView</name>
    <message>
        <source>Save Image</source>
        <translation>Зберегти зображення</translation>
    </message>
    <message>
        <source>File saved</source>
        <translation>Файл збережено</translation>
    </message>
    <message>
        <source>You image was saved at %1</source>
        <translation>Ваше зображення збережено в %1</translation>
    </message>
    <message>
        <source>File save error</source>
        <translation>Помилка збереження файлу</translation>
    </message>
    <message>
        <source>There was a problem saving image.</source>
        <translation>Під час збереження зображення сталася помилка.</translation>
    </message>
    <message>
        <source>Banner Image Action</source>
        <translation>Зображення банера</translation>
    </message>
    <message>
        <source>That file could not be read as a PNG image.</source>
        <translation>Цей файл не вдалося прочитати як зображення PNG.</translation>
    </message>
    <message>
        <source>Banner Image Uploaded!</source>
        <translation>Зображення банера вивантажено!</translation>
    </message>
    <message>
        <source>Banner Info</source>
        <translation>Банер</translation>
    </message>
    <message>
        <source>Your banner will now be ued for your uploaded screen shot images.</source>
        <translation>Відтепер ваш банер додаватиметься до вивантажених знімків екрана.</translation>
    </message>
</context>
<context>
    <name>BannerWindow</name>
    <message>
        <source>Vornik banner</source>
        <translation>Банер Vornik</translation>
    </message>
    <message>
        <source>Save current banner to your computer</source>
        <translation>Зберегти поточний банер на комп’ютері</translation>
    </message>
    <message>
        <source>Load an image into the preview below.</source>
        <translation>Завантажити зображення в попередній перегляд нижче.</translation>
    </message>
    <message>
        <source>Upload an image to use as a Vornik banner.</source>
        <translation>Вивантажити зображення як банер Vornik.</translation>
    </message>
    <message>
        <source>Change your Vornik banner color</source>
        <translation>Змінити колір банера Vornik</translation>
    </message>
    <message>
        <source>Reset banner color and image</source>
        <translation>Скинути колір і зображення банера</translation>
    </message>
</context>
<context>
    <name>ClosePrompt</name>
    <message>
        <source>Save the changes to this picture before closing?</source>
        <translation>Зберегти зміни в цьому зображенні перед закриттям?</translation>
    </message>
    <message>
        <source>Your figures are lost if you don&apos;t save, copy or upload them.</source>
        <translation>Ваші фігури буде втрачено, якщо ви їх не збережете, не скопіюєте і не вивантажите.</translation>
    </message>
</context>
<context>
    <name>ColorPalette</name>
    <message>
        <source>White</source>
        <translation>Білий</translation>
    </message>
    <message>
        <source>Silver</source>
        <translation>Сріблястий</translation>
    </message>
    <message>
        <source>Gray</source>
        <translation>Сірий</translation>
    </message>
    <message>
        <source>Black</source>
        <translation>Чорний</translation>
    </message>
    <message>
        <source>Red</source>
        <translation>Червоний</translation>
    </message>
    <message>
        <source>Maroon</source>
        <translation>Бордовий</translation>
    </message>
    <message>
        <source>Yellow</source>
        <translation>Жовтий</translation>
    </message>
    <message>
        <source>Olive</source>
        <translation>Оливковий</translation>
    </message>
    <message>
        <source>Lime</source>
        <translation>Лаймовий</translation>
    </message>
    <message>
        <source>Green</source>
        <translation>Зелений</translation>
    </message>
    <message>
        <source>Aqua</source>
        <translation>Бірюзовий</translation>
    </message>
    <message>
        <source>Teal</source>
        <translation>Синьо-зелений</translation>
    </message>
    <message>
        <source>Blue</source>
        <translation>Синій</translation>
    </message>
    <message>
        <source>Navy</source>
        <translation>Темно-синій</translation>
    </message>
    <message>
        <source>Fuchsia</source>
        <translation>Фуксія</translation>
    </message>
    <message>
        <source>Purple</source>
        <translation>Фіолетовий</translation>
    </message>
</context>
<context>
    <name>ColorPanel</name>
    <message>
        <source>Colors</source>
        <translation>Кольори</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Закрити</translation>
    </message>
</context>
<context>
    <name>CommandLine</name>
    <message>
        <source>cannot write %1</source>
        <extracomment>%1 is the settings file.</extracomment>
        <translation>не вдається записати %1</translation>
    </message>
    <message>
        <source>Vornik uploads to %1</source>
        <extracomment>%1 is the sharing service&apos;s address.</extracomment>
        <translation>Vornik вивантажує до %1</translation>
    </message>
    <message>
        <source>Vornik uploads to %1, trusting %2</source>
        <extracomment>%1 is the service&apos;s address, %2 the certificate file trusted for it.</extracomment>
        <translation>Vornik вивантажує до %1 і довіряє %2</translation>
    </message>
    <message>
        <source>another Vornik holds %1 but does not answer</source>
        <extracomment>%1 is the lock file of the running Vornik.</extracomment>
        <translation>інший Vornik утримує %1, але не відповідає</translation>
    </message>
    <message>
        <source>--ca-file goes with --set-service</source>
        <translation>--ca-file використовується разом із --set-service</translation>
    </message>
    <message>
        <source>unknown option %1</source>
        <extracomment>%1 is the option as it was given.</extracomment>
        <translation>невідомий параметр %1</translation>
    </message>
    <message>
        <source>%1 needs a value</source>
        <extracomment>%1 is the option, &quot;--set-service&quot; for instance.</extracomment>
        <translation>%1 потребує значення</translation>
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
        <translation>Використання: vornik [--capture | --preferences | --user-id | --version | --help]
              vornik --capture [--full | --window | --region X,Y,W,H]
                               [--copy | --save [PATH] | --upload | --output -] [--delay SECONDS]
              vornik --set-service URL [--ca-file FILE]
Vornik живе в системному лотку: робіть, позначайте й поширюйте знімки екрана.

  --capture          почати знімок у запущеному Vornik або запустити Vornik зі знімком
  --preferences      відкрити вікно налаштувань запущеного Vornik або запустити Vornik
                     з відкритим вікном налаштувань
    --full           зняти весь екран під вказівником, без накладки
    --window         зняти вікно під вказівником (потрібен менеджер вікон, що повідомляє
                     список своїх вікон: X11)
    --region X,Y,W,H зняти цей прямокутник стільниці (на одному екрані)
    --save [PATH]    записати PNG у PATH або в теку збереження і вивести шлях
                     (що робить режим, якщо не вказано інше)
    --copy           покласти зображення в буфер обміну
    --upload         вивантажити зображення і вивести посилання
    --output -       записати PNG у стандартний вивід
    --delay SECONDS  спершу зачекати, зі зворотним відліком у підказці значка в лотку
                     Невдалий знімок завершується зі статусом 1 і одним рядком у stderr,
                     хибний командний рядок — зі статусом 2.
  --set-service URL  відтепер вивантажувати до служби обміну за адресою URL (зберігається
                     в налаштуваннях як serviceurl) і вийти
  --ca-file FILE     разом із --set-service: також довіряти для неї сертифікату PEM у FILE
                     (зберігається як servicecafile; якщо пропущено, попередній стирається)
  --user-id          вивести ідентифікатор, з яким вивантажує цей Vornik (для сервера, що
                     приймає лише зареєстрованих користувачів), і вийти
  --version          вивести версію і вийти
  --help             вивести цю довідку і вийти

Гарячі клавіші: Ctrl+Shift+9 і Ctrl+F9. Налаштування: $XDG_CONFIG_HOME/Vornik/Vornik.conf
</translation>
    </message>
    <message>
        <source>Vornik is already running; its window is open.</source>
        <translation>Vornik уже запущено; його вікно відкрито.</translation>
    </message>
    <message>
        <source>--full, --window, --region, --copy, --save, --upload, --output and --delay go with --capture</source>
        <translation>--full, --window, --region, --copy, --save, --upload, --output і --delay використовуються разом із --capture</translation>
    </message>
    <message>
        <source>give only one of --full, --window and --region</source>
        <translation>вкажіть лише один із параметрів --full, --window і --region</translation>
    </message>
    <message>
        <source>give only one of --copy, --save, --upload and --output</source>
        <translation>вкажіть лише один із параметрів --copy, --save, --upload і --output</translation>
    </message>
    <message>
        <source>--copy, --save, --upload and --output need --full, --window or --region</source>
        <translation>--copy, --save, --upload і --output потребують --full, --window або --region</translation>
    </message>
    <message>
        <source>--output takes - (standard output)</source>
        <translation>--output приймає лише - (стандартний вивід)</translation>
    </message>
    <message>
        <source>--region takes X,Y,W,H with a positive width and height</source>
        <translation>--region приймає X,Y,W,H з додатними шириною й висотою</translation>
    </message>
    <message>
        <source>--delay takes a whole number of seconds up to 3600</source>
        <translation>--delay приймає ціле число секунд, не більше за 3600</translation>
    </message>
</context>
<context>
    <name>EditorToolTips</name>
    <message>
        <source>Pixelate, to hide what is under it; a filled rectangle hides it for sure</source>
        <translation>Пікселізація, щоб приховати те, що під нею; заповнений прямокутник приховує напевно</translation>
    </message>
    <message>
        <source>Blur, to hide what is under it; a filled rectangle hides it for sure</source>
        <translation>Розмиття, щоб приховати те, що під ним; заповнений прямокутник приховує напевно</translation>
    </message>
    <message>
        <source>Highlighter</source>
        <translation>Маркер</translation>
    </message>
    <message>
        <source>Numbered marker</source>
        <translation>Нумерована позначка</translation>
    </message>
    <message>
        <source>Pen</source>
        <translation>Перо</translation>
    </message>
    <message>
        <source>Save the picture to a file</source>
        <translation>Зберегти зображення у файл</translation>
    </message>
    <message>
        <source>Upload the picture and copy its link</source>
        <translation>Вивантажити зображення і скопіювати посилання</translation>
    </message>
    <message>
        <source>Copy the picture to the clipboard</source>
        <translation>Скопіювати зображення в буфер обміну</translation>
    </message>
    <message>
        <source>Select and move figures</source>
        <translation>Вибір і переміщення фігур</translation>
    </message>
    <message>
        <source>Rectangle</source>
        <translation>Прямокутник</translation>
    </message>
    <message>
        <source>Ellipse</source>
        <translation>Еліпс</translation>
    </message>
    <message>
        <source>Line</source>
        <translation>Лінія</translation>
    </message>
    <message>
        <source>Arrow</source>
        <translation>Стрілка</translation>
    </message>
    <message>
        <source>Filled rectangle</source>
        <translation>Заповнений прямокутник</translation>
    </message>
    <message>
        <source>Filled ellipse</source>
        <translation>Заповнений еліпс</translation>
    </message>
    <message>
        <source>Text</source>
        <translation>Текст</translation>
    </message>
    <message>
        <source>Larger text</source>
        <translation>Більший текст</translation>
    </message>
    <message>
        <source>Smaller text</source>
        <translation>Менший текст</translation>
    </message>
    <message>
        <source>Line width</source>
        <translation>Товщина лінії</translation>
    </message>
    <message>
        <source>Line color</source>
        <translation>Колір лінії</translation>
    </message>
    <message>
        <source>Fill color</source>
        <translation>Колір заповнення</translation>
    </message>
    <message>
        <source>Pin to the screen</source>
        <translation>Закріпити на екрані</translation>
    </message>
    <message>
        <source>Copy the text in the picture</source>
        <translation>Скопіювати текст із зображення</translation>
    </message>
</context>
<context>
    <name>EditorWindow</name>
    <message>
        <source>Vornik editor</source>
        <translation>Редактор Vornik</translation>
    </message>
</context>
<context>
    <name>FigureKind</name>
    <message>
        <source>arrow</source>
        <translation>стрілку</translation>
    </message>
    <message>
        <source>blur</source>
        <translation>розмиття</translation>
    </message>
    <message>
        <source>counter</source>
        <translation>номер</translation>
    </message>
    <message>
        <source>ellipse</source>
        <translation>еліпс</translation>
    </message>
    <message>
        <source>highlighter</source>
        <translation>виділення маркером</translation>
    </message>
    <message>
        <source>line</source>
        <translation>лінію</translation>
    </message>
    <message>
        <source>pen</source>
        <translation>лінію пером</translation>
    </message>
    <message>
        <source>pixelate</source>
        <translation>пікселізацію</translation>
    </message>
    <message>
        <source>rectangle</source>
        <translation>прямокутник</translation>
    </message>
    <message>
        <source>text</source>
        <translation>текст</translation>
    </message>
</context>
<context>
    <name>FigureSteps</name>
    <message>
        <source>Add %1</source>
        <extracomment>The undo step of a new figure; %1 is its kind, &quot;ellipse&quot; for instance.</extracomment>
        <translation>Додати %1</translation>
    </message>
    <message>
        <source>Forget figure</source>
        <translation>Відкинути фігуру</translation>
    </message>
    <message>
        <source>Move figure</source>
        <translation>Перемістити фігуру</translation>
    </message>
    <message>
        <source>Delete figure</source>
        <translation>Вилучити фігуру</translation>
    </message>
    <message>
        <source>Text size</source>
        <translation>Розмір тексту</translation>
    </message>
</context>
<context>
    <name>FilePanels</name>
    <message>
        <source>Images (%1)</source>
        <extracomment>The file type filter of file panels; %1 is the patterns, &quot;*.png&quot; for instance.</extracomment>
        <translation>Зображення (%1)</translation>
    </message>
    <message>
        <source>Select Image</source>
        <translation>Виберіть зображення</translation>
    </message>
</context>
<context>
    <name>GlobalHotKeys</name>
    <message>
        <source>Take a Vornik screenshot (%1)</source>
        <extracomment>The shortcut&apos;s description in the desktop&apos;s settings; %1 is its keys.</extracomment>
        <translation>Зробити знімок екрана Vornik (%1)</translation>
    </message>
    <message>
        <source>Vornik: this desktop gives applications no global hot keys; bind Ctrl+Shift+9 to the command &quot;vornik --capture&quot; in its keyboard shortcut settings (the README shows how for GNOME, KDE and sway)</source>
        <extracomment>Keep &quot;vornik --capture&quot; as it is: it is the command to bind.</extracomment>
        <translation>Vornik: це робоче середовище не надає програмам глобальних гарячих клавіш; призначте Ctrl+Shift+9 команді &quot;vornik --capture&quot; у його налаштуваннях клавіатурних скорочень (у README показано, як це зробити в GNOME, KDE і sway)</translation>
    </message>
</context>
<context>
    <name>HistoryPreview</name>
    <message>
        <source>Drop an upload here to preview it; click the preview to open it</source>
        <translation>Перетягніть сюди вивантаження, щоб переглянути його; клацніть попередній перегляд, щоб відкрити</translation>
    </message>
</context>
<context>
    <name>HistoryRows</name>
    <message>
        <source>no image code for</source>
        <translation>немає коду зображення для</translation>
    </message>
</context>
<context>
    <name>HistoryTable</name>
    <message>
        <source>Uploads</source>
        <translation>Вивантаження</translation>
    </message>
    <message>
        <source>URL</source>
        <translation>URL</translation>
    </message>
    <message>
        <source>Uploaded</source>
        <extracomment>The title of the column of upload times.</extracomment>
        <translation>Вивантажено</translation>
    </message>
</context>
<context>
    <name>HistoryTableModel</name>
    <message>
        <source>%1 (banner)</source>
        <translation>%1 (банер)</translation>
    </message>
    <message>
        <source>Your banner image: every image you share shows it, so it cannot be deleted</source>
        <translation>Зображення вашого банера: його показує кожне зображення, яким ви ділитеся, тому його не можна вилучити</translation>
    </message>
</context>
<context>
    <name>HistoryWindow</name>
    <message>
        <source>Vornik upload history</source>
        <translation>Історія вивантажень Vornik</translation>
    </message>
    <message>
        <source>Open</source>
        <extracomment>An entry of an upload&apos;s menu: opens its link.</extracomment>
        <translation>Відкрити</translation>
    </message>
    <message>
        <source>Copy link</source>
        <translation>Копіювати посилання</translation>
    </message>
    <message>
        <source>Delete</source>
        <extracomment>An entry of an upload&apos;s menu: deletes it from the sharing service.</extracomment>
        <translation>Вилучити</translation>
    </message>
</context>
<context>
    <name>LauncherWindow</name>
    <message>
        <source>No system tray is running, so Vornik has no icon. A tray gives quicker access (on GNOME, the AppIndicator extension); until then, starting Vornik again opens this window.</source>
        <translation>Системний лоток не запущено, тому Vornik не має значка. Лоток дає швидший доступ (у GNOME — розширення AppIndicator); доти повторний запуск Vornik відкриває це вікно.</translation>
    </message>
</context>
<context>
    <name>LineWidthView</name>
    <message>
        <source>Thinnest</source>
        <extracomment>The five line widths of the editor, from the thinnest to the thickest.</extracomment>
        <translation>Найтонша</translation>
    </message>
    <message>
        <source>Thin</source>
        <translation>Тонка</translation>
    </message>
    <message>
        <source>Thick</source>
        <translation>Товста</translation>
    </message>
    <message>
        <source>Thicker</source>
        <translation>Товстіша</translation>
    </message>
    <message>
        <source>Thickest</source>
        <translation>Найтовща</translation>
    </message>
</context>
<context>
    <name>Notifier</name>
    <message>
        <source>Open</source>
        <extracomment>A button of the notification about a saved file: opens the file.</extracomment>
        <translation>Відкрити</translation>
    </message>
    <message>
        <source>Show in folder</source>
        <translation>Показати в теці</translation>
    </message>
    <message>
        <source>Open link</source>
        <translation>Відкрити посилання</translation>
    </message>
</context>
<context>
    <name>OutputMessages</name>
    <message>
        <source>Clipboard notification</source>
        <translation>Буфер обміну</translation>
    </message>
    <message>
        <source>Your image was saved to the clipboard.</source>
        <translation>Ваше зображення скопійовано в буфер обміну.</translation>
    </message>
    <message>
        <source>Clipboard Error</source>
        <translation>Помилка буфера обміну</translation>
    </message>
    <message>
        <source>There was a problem saving your image to the clipboard.</source>
        <translation>Під час копіювання зображення в буфер обміну сталася помилка.</translation>
    </message>
    <message>
        <source>Image Saved</source>
        <translation>Зображення збережено</translation>
    </message>
    <message>
        <source>Your image has been saved.</source>
        <translation>Ваше зображення збережено.</translation>
    </message>
    <message>
        <source>No network connection</source>
        <translation>Немає з’єднання з мережею</translation>
    </message>
    <message>
        <source>Please check your Internet connection.</source>
        <translation>Перевірте з’єднання з інтернетом.</translation>
    </message>
    <message>
        <source>File Save Error</source>
        <translation>Помилка збереження файлу</translation>
    </message>
    <message>
        <source>Your image couldn&apos;t be saved for upload.</source>
        <translation>Не вдалося зберегти зображення для вивантаження.</translation>
    </message>
    <message>
        <source>SAVED TO CLIPBOARD</source>
        <translation>СКОПІЙОВАНО В БУФЕР ОБМІНУ</translation>
    </message>
    <message>
        <source>URL to image was copied to clipboard.</source>
        <translation>URL зображення скопійовано в буфер обміну.</translation>
    </message>
    <message>
        <source>Your image was uploaded, but its link could not be copied to the clipboard: </source>
        <extracomment>The reason follows after the colon.</extracomment>
        <translation>Ваше зображення вивантажено, але його посилання не вдалося скопіювати в буфер обміну: </translation>
    </message>
    <message>
        <source>File Upload Error</source>
        <translation>Помилка вивантаження файлу</translation>
    </message>
    <message>
        <source>There was a problem uploading your image.</source>
        <translation>Під час вивантаження зображення сталася помилка.</translation>
    </message>
    <message>
        <source>Your image could not be saved: </source>
        <extracomment>The reason follows after the colon.</extracomment>
        <translation>Не вдалося зберегти ваше зображення: </translation>
    </message>
</context>
<context>
    <name>OverlayActions</name>
    <message>
        <source>%1 could not be written</source>
        <extracomment>%1 is the picture&apos;s file.</extracomment>
        <translation>не вдалося записати %1</translation>
    </message>
    <message>
        <source>. It was kept at %1</source>
        <extracomment>Follows the reason a screenshot was not saved; %1 is where it was kept instead.</extracomment>
        <translation>. Його збережено в %1</translation>
    </message>
</context>
<context>
    <name>OverlayController</name>
    <message>
        <source>Edit screenshot now</source>
        <translation>Редагувати знімок зараз</translation>
    </message>
    <message>
        <source>Save screenshot locally</source>
        <translation>Зберегти знімок на комп’ютері</translation>
    </message>
    <message>
        <source>Upload/Share screenshot</source>
        <translation>Вивантажити/поширити знімок</translation>
    </message>
    <message>
        <source>Copy selection area to clipboard</source>
        <translation>Скопіювати виділену область у буфер обміну</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Скасувати</translation>
    </message>
    <message>
        <source>Image Editor</source>
        <translation>Редактор зображень</translation>
    </message>
    <message>
        <source>The image selection made an incorrect call to the editor.</source>
        <translation>Виділення зображення некоректно викликало редактор.</translation>
    </message>
    <message>
        <source>NOT SAVED TO CLIPBOARD</source>
        <translation>НЕ СКОПІЙОВАНО В БУФЕР ОБМІНУ</translation>
    </message>
    <message>
        <source>There was a problem copying  the selected URL to clipboard.</source>
        <translation>Під час копіювання URL у буфер обміну сталася помилка.</translation>
    </message>
    <message>
        <source>Pin selection to the screen</source>
        <translation>Закріпити виділене на екрані</translation>
    </message>
    <message>
        <source>Copy text in the selection</source>
        <translation>Скопіювати текст із виділеного</translation>
    </message>
</context>
<context>
    <name>PermissionWindow</name>
    <message>
        <source>Vornik needs you to grant &apos;Screen Recording&apos; access.</source>
        <translation>Vornik потребує вашого дозволу на запис екрана.</translation>
    </message>
</context>
<context>
    <name>PermissionWindowContent</name>
    <message>
        <source>Allow Vornik to share your screen.</source>
        <translation>Дозвольте Vornik поширювати ваш екран.</translation>
    </message>
    <message>
        <source>Click &apos;Allow Vornik to Record Screen&apos; to open System Preferences &gt; Security &amp; Privacy to grant access.</source>
        <extracomment>&apos;Allow Vornik to Record Screen&apos; is the button of this window: use its translation.</extracomment>
        <translation>Натисніть «Дозволити запис екрана», щоб відкрити Системні параметри &gt; Безпека та приватність і надати доступ.</translation>
    </message>
    <message>
        <source>Allow Vornik to Record Screen</source>
        <translation>Дозволити запис екрана</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Скасувати</translation>
    </message>
    <message>
        <source>Help</source>
        <translation>Довідка</translation>
    </message>
</context>
<context>
    <name>PinWindow</name>
    <message>
        <source>Pinned screenshot</source>
        <translation>Закріплений знімок</translation>
    </message>
</context>
<context>
    <name>PreferencesWindow</name>
    <message>
        <source>Vornik Preferences</source>
        <translation>Налаштування Vornik</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Закрити</translation>
    </message>
    <message>
        <source>Choose…</source>
        <translation>Вибрати…</translation>
    </message>
    <message>
        <source>none: the system&apos;s certificates only</source>
        <translation>немає: лише системні сертифікати</translation>
    </message>
    <message>
        <source>Sharing service:</source>
        <translation>Служба обміну:</translation>
    </message>
    <message>
        <source>Certificate file:</source>
        <translation>Файл сертифіката:</translation>
    </message>
    <message>
        <source>Test</source>
        <translation>Перевірити</translation>
    </message>
    <message>
        <source>Save folder:</source>
        <translation>Тека збереження:</translation>
    </message>
    <message>
        <source>Capture hot key:</source>
        <translation>Гаряча клавіша знімка:</translation>
    </message>
    <message>
        <source>Second capture hot key:</source>
        <translation>Друга гаряча клавіша знімка:</translation>
    </message>
    <message>
        <source>No key</source>
        <translation>Без клавіші</translation>
    </message>
    <message>
        <source>Start Vornik at login</source>
        <translation>Запускати Vornik під час входу</translation>
    </message>
    <message>
        <source>Open the saved file after saving</source>
        <translation>Відкривати збережений файл після збереження</translation>
    </message>
    <message>
        <source>VORNIK_SERVICE_URL is set and overrides this address.</source>
        <translation>Змінну VORNIK_SERVICE_URL задано, і вона має перевагу над цією адресою.</translation>
    </message>
    <message>
        <source>%1: taken by another program, so it starts no capture; choose another key.</source>
        <translation>%1: зайнято іншою програмою, тому знімок не починається; виберіть іншу клавішу.</translation>
    </message>
    <message>
        <source>Not saved: %1.</source>
        <translation>Не збережено: %1.</translation>
    </message>
    <message>
        <source>Not saved: %1 cannot be written.</source>
        <translation>Не збережено: не вдається записати %1.</translation>
    </message>
    <message>
        <source>Uploads go to %1 from now on.</source>
        <translation>Відтепер вивантаження йдуть до %1.</translation>
    </message>
    <message>
        <source>Cannot test: %1.</source>
        <translation>Неможливо перевірити: %1.</translation>
    </message>
    <message>
        <source>Asking %1…</source>
        <translation>Запит до %1…</translation>
    </message>
    <message>
        <source>%1 answered, but with an empty salt: it does not look like a Vornik service.</source>
        <translation>За адресою %1 відповіли, але з порожньою сіллю: це не схоже на службу Vornik.</translation>
    </message>
    <message>
        <source>%1 works: it handed out a salt.</source>
        <translation>%1 працює: служба видала сіль.</translation>
    </message>
    <message>
        <source>%1 answered with HTTP status %2 instead of a salt: is this the service&apos;s address?</source>
        <translation>За адресою %1 відповіли статусом HTTP %2 замість солі: чи це адреса служби?</translation>
    </message>
    <message>
        <source>No answer from %1: %2.</source>
        <translation>Немає відповіді від %1: %2.</translation>
    </message>
    <message>
        <source>%1 answered with something that is not a salt.</source>
        <translation>За адресою %1 відповіли чимось, що не є сіллю.</translation>
    </message>
    <message>
        <source>Certificate of the sharing service</source>
        <translation>Сертифікат служби обміну</translation>
    </message>
    <message>
        <source>Folder for saved screenshots</source>
        <translation>Тека для збережених знімків</translation>
    </message>
    <message>
        <source>%1 is already the other capture key.</source>
        <translation>%1 уже є іншою клавішею знімка.</translation>
    </message>
    <message>
        <source>This capture key is off.</source>
        <translation>Цю клавішу знімка вимкнено.</translation>
    </message>
    <message>
        <source>%1 now starts a capture.</source>
        <translation>%1 тепер починає знімок.</translation>
    </message>
    <message>
        <source>%1 is taken by another program; the capture key stays %2.</source>
        <translation>%1 зайнято іншою програмою; клавіша знімка залишається: %2.</translation>
    </message>
    <message>
        <source>off</source>
        <translation>вимкнено</translation>
    </message>
</context>
<context>
    <name>QObject</name>
    <message>
        <source>Recolor</source>
        <translation>Зміна кольору</translation>
    </message>
    <message>
        <source>Edit text</source>
        <translation>Редагування тексту</translation>
    </message>
    <message>
        <source>Waiting for permission</source>
        <translation>Очікування дозволу</translation>
    </message>
    <message>
        <source>Vornik is waiting for the desktop&apos;s permission to take a screenshot. Allow it in the desktop&apos;s dialog and the capture goes on.</source>
        <translation>Vornik чекає на дозвіл робочого середовища зробити знімок екрана. Дозвольте це в діалозі середовища, і знімок продовжиться.</translation>
    </message>
    <message>
        <source>Screenshot not allowed</source>
        <translation>Знімок екрана не дозволено</translation>
    </message>
    <message>
        <source>The desktop did not allow Vornik to take a screenshot. Allow it when the desktop asks again, or in its privacy settings (Screenshots).</source>
        <translation>Робоче середовище не дозволило Vornik зробити знімок екрана. Дозвольте це, коли середовище запитає знову, або в його налаштуваннях приватності (Знімки екрана).</translation>
    </message>
</context>
<context>
    <name>RecentUploadsMenu</name>
    <message>
        <source>History</source>
        <translation>Історія</translation>
    </message>
    <message>
        <source>No network connection</source>
        <translation>Немає з’єднання з мережею</translation>
    </message>
    <message>
        <source>Please check your Internet connection.</source>
        <translation>Перевірте з’єднання з інтернетом.</translation>
    </message>
    <message>
        <source>%1 - view</source>
        <extracomment>A recent upload in the History menu; %1 is its upload time.</extracomment>
        <translation>%1 – переглянути</translation>
    </message>
    <message>
        <source>View all history</source>
        <translation>Переглянути всю історію</translation>
    </message>
</context>
<context>
    <name>SaveFolder</name>
    <message>
        <source>the folder %1 could not be made</source>
        <translation>не вдалося створити теку %1</translation>
    </message>
    <message numerus="yes">
        <source>%1 already holds %n screenshots of that second</source>
        <extracomment>%1 is a folder; %n is the number of screenshots a second may have (1000).</extracomment>
        <translation>
            <numerusform>%1 уже містить %n знімок цієї секунди</numerusform>
            <numerusform>%1 уже містить %n знімки цієї секунди</numerusform>
            <numerusform>%1 уже містить %n знімків цієї секунди</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>ScreenCapture</name>
    <message>
        <source>Vornik did not take the screenshot, because its temporary folder is not private: %1. Remove it or give it to your account with mode 700.</source>
        <extracomment>%1 says what is wrong with the folder, &quot;/tmp/Vornik is a symbolic link&quot; for instance.</extracomment>
        <translation>Vornik не зробив знімок, бо його тимчасова тека не приватна: %1. Вилучіть її або передайте вашому обліковому запису з режимом 700.</translation>
    </message>
    <message>
        <source>Temporary Folder Error</source>
        <translation>Помилка тимчасової теки</translation>
    </message>
    <message>
        <source>Click a window to select it.</source>
        <translation>Клацніть вікно, щоб вибрати його.</translation>
    </message>
</context>
<context>
    <name>ScriptedCapture</name>
    <message>
        <source>the sharing service answered with status %1</source>
        <translation>служба обміну відповіла статусом %1</translation>
    </message>
    <message>
        <source>the sharing service could not be reached (%1)</source>
        <translation>не вдалося зв’язатися зі службою обміну (%1)</translation>
    </message>
    <message>
        <source>the sharing service&apos;s answer could not be read</source>
        <translation>не вдалося прочитати відповідь служби обміну</translation>
    </message>
    <message>
        <source>the picture could not be written for the upload</source>
        <translation>не вдалося записати зображення для вивантаження</translation>
    </message>
    <message>
        <source>the sharing service&apos;s answer is not a link</source>
        <translation>відповідь служби обміну не є посиланням</translation>
    </message>
    <message>
        <source>there is no window under the pointer</source>
        <translation>під вказівником немає вікна</translation>
    </message>
    <message>
        <source>there is no display</source>
        <translation>немає екрана</translation>
    </message>
    <message>
        <source>the region %1,%2,%3,%4 does not lie on one display</source>
        <translation>область %1,%2,%3,%4 не лежить на одному екрані</translation>
    </message>
    <message>
        <source>no capture mode was given</source>
        <translation>не вказано режим знімка</translation>
    </message>
    <message>
        <source>the display could not be captured</source>
        <translation>не вдалося зняти екран</translation>
    </message>
    <message>
        <source>the picture could not be encoded</source>
        <translation>не вдалося закодувати зображення</translation>
    </message>
    <message>
        <source>the desktop did not take the picture onto the clipboard</source>
        <translation>робоче середовище не прийняло зображення в буфер обміну</translation>
    </message>
    <message>
        <source>%1 could not be written</source>
        <translation>не вдалося записати %1</translation>
    </message>
    <message>
        <source>%1; the picture was kept at %2</source>
        <translation>%1; зображення збережено в %2</translation>
    </message>
</context>
<context>
    <name>SegmentedToolBar</name>
    <message>
        <source>Editor tools</source>
        <translation>Інструменти редактора</translation>
    </message>
</context>
<context>
    <name>SelectionGeometry</name>
    <message>
        <source>width:%1: height:%2</source>
        <extracomment>The size of the selection, shown beside it while it is drawn; %1 is the width and %2 the height, in pixels.</extracomment>
        <translation>ширина:%1: висота:%2</translation>
    </message>
</context>
<context>
    <name>ServiceSetting</name>
    <message>
        <source>%1 is not an http:// or https:// address</source>
        <extracomment>%1 is the address as given.</extracomment>
        <translation>%1 не є адресою http:// чи https://</translation>
    </message>
    <message>
        <source>%1: the service address takes no user, query or fragment</source>
        <extracomment>%1 is the address as given.</extracomment>
        <translation>%1: адреса служби не може містити користувача, запит чи фрагмент</translation>
    </message>
    <message>
        <source>cannot read the certificate file %1</source>
        <extracomment>%1 is the certificate file.</extracomment>
        <translation>не вдається прочитати файл сертифіката %1</translation>
    </message>
    <message>
        <source>%1 holds no PEM certificate</source>
        <extracomment>%1 is the certificate file.</extracomment>
        <translation>%1 не містить сертифіката PEM</translation>
    </message>
</context>
<context>
    <name>TempFolder</name>
    <message>
        <source>%1 could not be made: %2</source>
        <extracomment>%1 is a folder, %2 the system&apos;s reason.</extracomment>
        <translation>не вдалося створити %1: %2</translation>
    </message>
    <message>
        <source>%1 is a symbolic link</source>
        <translation>%1 є символічним посиланням</translation>
    </message>
    <message>
        <source>%1 is not a folder</source>
        <translation>%1 не є текою</translation>
    </message>
    <message>
        <source>%1 belongs to another user (uid %2)</source>
        <extracomment>%1 is a folder, %2 the number of the user it belongs to.</extracomment>
        <translation>%1 належить іншому користувачеві (uid %2)</translation>
    </message>
    <message>
        <source>%1 may be entered by other users (mode %2)</source>
        <extracomment>%1 is a folder, %2 its permissions in octal, &quot;755&quot; for instance.</extracomment>
        <translation>до %1 можуть заходити інші користувачі (режим %2)</translation>
    </message>
</context>
<context>
    <name>TextCopy</name>
    <message>
        <source>Text not copied</source>
        <translation>Текст не скопійовано</translation>
    </message>
    <message>
        <source>No text found</source>
        <translation>Текст не знайдено</translation>
    </message>
    <message>
        <source>Vornik found no text in the picture; the clipboard is unchanged.</source>
        <translation>Vornik не знайшов тексту на зображенні; буфер обміну не змінено.</translation>
    </message>
    <message>
        <source>Text copied</source>
        <translation>Текст скопійовано</translation>
    </message>
    <message>
        <source>The desktop did not take the text for its clipboard.</source>
        <translation>Робоче середовище не прийняло текст у буфер обміну.</translation>
    </message>
</context>
<context>
    <name>TextEntryView</name>
    <message>
        <source>Type the text, then click where it goes</source>
        <translation>Введіть текст, потім клацніть там, де він має бути</translation>
    </message>
    <message>
        <source>Text of the next text figure</source>
        <translation>Текст наступної текстової фігури</translation>
    </message>
</context>
<context>
    <name>TextRecognizer</name>
    <message>
        <source>Vornik&apos;s text recognition could not be loaded: %1.</source>
        <translation>Не вдалося завантажити розпізнавання тексту Vornik: %1.</translation>
    </message>
    <message>
        <source>Tesseract&apos;s English data (tesseract-ocr-eng) is not installed.</source>
        <translation>Англійські дані Tesseract (tesseract-ocr-eng) не встановлено.</translation>
    </message>
</context>
<context>
    <name>TopLevelWindows</name>
    <message>
        <source>This display server does not tell programs where other windows are, so Vornik cannot select the window under the pointer.</source>
        <translation>Цей дисплейний сервер не повідомляє програмам, де інші вікна, тож Vornik не може вибрати вікно під вказівником.</translation>
    </message>
    <message>
        <source>No window manager lists its windows on this display, so Vornik cannot select the window under the pointer.</source>
        <translation>На цьому екрані жоден менеджер вікон не повідомляє список своїх вікон, тож Vornik не може вибрати вікно під вказівником.</translation>
    </message>
</context>
<context>
    <name>TrashDropTarget</name>
    <message>
        <source>Drop uploads here to delete them</source>
        <translation>Перетягніть сюди вивантаження, щоб вилучити їх</translation>
    </message>
    <message>
        <source>No network connection</source>
        <translation>Немає з’єднання з мережею</translation>
    </message>
    <message>
        <source>Please check your Internet connection.</source>
        <translation>Перевірте з’єднання з інтернетом.</translation>
    </message>
    <message>
        <source>Banner images can&apos;t be cancelled</source>
        <extracomment>The title and text of the notice when the current banner image was dropped on the trash.</extracomment>
        <translation>Зображення банера не можна вилучити</translation>
    </message>
    <message>
        <source>Deletion Denied</source>
        <translation>Вилучення заборонено</translation>
    </message>
    <message>
        <source>Delete this upload from the sharing service?</source>
        <translation>Вилучити це вивантаження зі служби обміну?</translation>
    </message>
    <message numerus="yes">
        <source>Delete these %n uploads from the sharing service?</source>
        <extracomment>%n is the number of uploads dropped on the trash (2 or more).</extracomment>
        <translation>
            <numerusform>Вилучити ці %n вивантаження зі служби обміну?</numerusform>
            <numerusform>Вилучити ці %n вивантаження зі служби обміну?</numerusform>
            <numerusform>Вилучити ці %n вивантажень зі служби обміну?</numerusform>
        </translation>
    </message>
    <message>
        <source> The banner image is kept.</source>
        <extracomment>Follows the question, after its question mark.</extracomment>
        <translation> Зображення банера залишиться.</translation>
    </message>
    <message>
        <source>Delete uploads</source>
        <translation>Вилучити вивантаження</translation>
    </message>
    <message>
        <source>Delete</source>
        <extracomment>The button that confirms the deletion.</extracomment>
        <translation>Вилучити</translation>
    </message>
</context>
<context>
    <name>TrayApp</name>
    <message>
        <source>About/Usage Video For Vornik %1</source>
        <extracomment>%1 is the version, &quot;1.2&quot; for instance.</extracomment>
        <translation>Про Vornik %1/відео про використання</translation>
    </message>
    <message>
        <source>Vornik %1 help</source>
        <extracomment>%1 is the version, &quot;1.2&quot; for instance.</extracomment>
        <translation>Довідка Vornik %1</translation>
    </message>
    <message>
        <source>Vornik tools</source>
        <translation>Інструменти Vornik</translation>
    </message>
    <message>
        <source>Quit Vornik</source>
        <translation>Вийти з Vornik</translation>
    </message>
    <message>
        <source>Restart</source>
        <extracomment>Starts Vornik anew.</extracomment>
        <translation>Перезапустити</translation>
    </message>
    <message>
        <source>Banner settings</source>
        <translation>Налаштування банера</translation>
    </message>
    <message>
        <source>Set to default banner ....</source>
        <translation>Повернути типовий банер ....</translation>
    </message>
    <message>
        <source>Change banner image ....</source>
        <translation>Змінити зображення банера ....</translation>
    </message>
    <message>
        <source>Change banner color ....</source>
        <translation>Змінити колір банера ....</translation>
    </message>
    <message>
        <source>Banner window ....</source>
        <translation>Вікно банера ....</translation>
    </message>
    <message>
        <source>Take Vornik ...</source>
        <translation>Знімок Vornik ...</translation>
    </message>
    <message>
        <source> or </source>
        <extracomment>Joins the names of the hot keys that take a screenshot: &quot;Ctrl+Shift+9 or Ctrl+F9&quot;.</extracomment>
        <translation> або </translation>
    </message>
    <message>
        <source>Take Vornik ... %1</source>
        <extracomment>The capture entry of the status menu; %1 names the hot keys (&quot;Ctrl+Shift+9 or Ctrl+F9&quot;).</extracomment>
        <translation>Знімок Vornik ... %1</translation>
    </message>
    <message>
        <source>Bring all to front.</source>
        <extracomment>The status item&apos;s title and tool tip while an editor is open: a click on the item raises it.</extracomment>
        <translation>Показати всі вікна.</translation>
    </message>
    <message>
        <source>Vornik - Bring all to front.</source>
        <translation>Vornik – показати всі вікна.</translation>
    </message>
    <message>
        <source>Vornik could not add itself to the programs started at login: %1 could not be written.</source>
        <extracomment>%1 is the autostart file, ~/.config/autostart/vornik.desktop for instance.</extracomment>
        <translation>Vornik не зміг додати себе до програм, що запускаються під час входу: не вдалося записати %1.</translation>
    </message>
    <message>
        <source>Vornik could not remove itself from the programs started at login: %1 could not be removed.</source>
        <extracomment>%1 is the autostart file, ~/.config/autostart/vornik.desktop for instance.</extracomment>
        <translation>Vornik не зміг вилучити себе з програм, що запускаються під час входу: не вдалося вилучити %1.</translation>
    </message>
    <message>
        <source>Login Item Error</source>
        <translation>Помилка автозапуску</translation>
    </message>
    <message>
        <source>No network connection</source>
        <translation>Немає з’єднання з мережею</translation>
    </message>
    <message>
        <source>Please check your Internet connection.</source>
        <translation>Перевірте з’єднання з інтернетом.</translation>
    </message>
    <message>
        <source>Run Vornik at startup</source>
        <translation>Запускати Vornik під час входу</translation>
    </message>
    <message>
        <source>Do not run Vornik at startup</source>
        <translation>Не запускати Vornik під час входу</translation>
    </message>
    <message>
        <source>This desktop let Vornik bind no hot key. To take a screenshot, bind a key to the command &quot;vornik --capture&quot; in the desktop&apos;s keyboard shortcut settings, or choose &quot;%1&quot; in Vornik&apos;s tray menu.</source>
        <translation>Це робоче середовище не дозволило Vornik призначити гарячу клавішу. Щоб зробити знімок екрана, призначте клавішу команді &quot;vornik --capture&quot; у налаштуваннях клавіатурних скорочень середовища або виберіть «%1» у меню Vornik у системному лотку.</translation>
    </message>
    <message>
        <source>Press %1 to take a screenshot, or choose &quot;%2&quot; in Vornik&apos;s tray menu.</source>
        <translation>Натисніть %1, щоб зробити знімок екрана, або виберіть «%2» у меню Vornik у системному лотку.</translation>
    </message>
    <message>
        <source>Vornik is ready</source>
        <translation>Vornik готовий</translation>
    </message>
    <message>
        <source>Sharing service</source>
        <translation>Служба обміну</translation>
    </message>
    <message>
        <source>The address of the sharing service to upload to:</source>
        <translation>Адреса служби обміну, до якої вивантажувати:</translation>
    </message>
    <message>
        <source>%1 could not be written.</source>
        <translation>Не вдалося записати %1.</translation>
    </message>
    <message>
        <source>Sharing Service Error</source>
        <translation>Помилка служби обміну</translation>
    </message>
    <message>
        <source>Sharing service set up</source>
        <translation>Службу обміну налаштовано</translation>
    </message>
    <message>
        <source>Vornik uploads to %1 from now on. Failed uploads are sent again from &quot;Unsent uploads&quot; in the tray menu&apos;s tools; a certificate to trust is set with &quot;vornik --set-service URL --ca-file FILE&quot;.</source>
        <translation>Відтепер Vornik вивантажує до %1. Невдалі вивантаження надсилаються знову з «Ненадіслані вивантаження» в інструментах меню лотка; сертифікат, якому слід довіряти, задається командою &quot;vornik --set-service URL --ca-file FILE&quot;.</translation>
    </message>
    <message>
        <source>nothing on this desktop can take a picture of the screen</source>
        <translation>ніщо в цьому робочому середовищі не може зняти зображення екрана</translation>
    </message>
    <message numerus="yes">
        <source>Vornik: screenshot in %n s</source>
        <translation>
            <numerusform>Vornik: знімок через %n с</numerusform>
            <numerusform>Vornik: знімок через %n с</numerusform>
            <numerusform>Vornik: знімок через %n с</numerusform>
        </translation>
    </message>
    <message>
        <source>Preferences…</source>
        <translation>Налаштування…</translation>
    </message>
</context>
<context>
    <name>UnsentUploadsMenu</name>
    <message>
        <source>Unsent uploads</source>
        <translation>Ненадіслані вивантаження</translation>
    </message>
    <message>
        <source>No unsent uploads</source>
        <translation>Немає ненадісланих вивантажень</translation>
    </message>
    <message numerus="yes">
        <source>Retry all (%n)</source>
        <translation>
            <numerusform>Надіслати всі знову (%n)</numerusform>
            <numerusform>Надіслати всі знову (%n)</numerusform>
            <numerusform>Надіслати всі знову (%n)</numerusform>
        </translation>
    </message>
    <message>
        <source>Retry the capture of %1</source>
        <translation>Надіслати знову знімок від %1</translation>
    </message>
</context>
<context>
    <name>UploadFailure</name>
    <message>
        <source>No sharing service is set up yet (Vornik tried %1).</source>
        <translation>Службу обміну ще не налаштовано (Vornik пробував %1).</translation>
    </message>
    <message>
        <source>The sharing service at %1 is not running: it refused the connection.</source>
        <translation>Служба обміну за адресою %1 не працює: з’єднання відхилено.</translation>
    </message>
    <message>
        <source>The sharing service&apos;s host %1 could not be found.</source>
        <translation>Не вдалося знайти вузол служби обміну %1.</translation>
    </message>
    <message>
        <source>The sharing service at %1 did not answer in time.</source>
        <translation>Служба обміну за адресою %1 не відповіла вчасно.</translation>
    </message>
    <message>
        <source>The certificate of the sharing service at %1 is not trusted (%2). Name the certificate to trust with &quot;vornik --set-service URL --ca-file FILE&quot;.</source>
        <translation>Сертифікат служби обміну за адресою %1 не є довіреним (%2). Укажіть сертифікат, якому слід довіряти, командою &quot;vornik --set-service URL --ca-file FILE&quot;.</translation>
    </message>
    <message>
        <source>The sharing service at %1 could not be reached: %2.</source>
        <translation>Не вдалося зв’язатися зі службою обміну за адресою %1: %2.</translation>
    </message>
    <message>
        <source>The sharing service refused the picture as too large (error 413).</source>
        <translation>Служба обміну відхилила зображення як завелике (помилка 413).</translation>
    </message>
    <message>
        <source>The sharing service answered with error %1.</source>
        <translation>Служба обміну відповіла помилкою %1.</translation>
    </message>
    <message>
        <source>The sharing service answered with error %1: %2.</source>
        <translation>Служба обміну відповіла помилкою %1: %2.</translation>
    </message>
    <message>
        <source>The sharing service&apos;s answer could not be read.</source>
        <translation>Не вдалося прочитати відповідь служби обміну.</translation>
    </message>
    <message>
        <source>The picture&apos;s file was not there to send.</source>
        <translation>Файлу зображення для надсилання не було.</translation>
    </message>
    <message>
        <source>The picture&apos;s file could not be read: %1.</source>
        <translation>Не вдалося прочитати файл зображення: %1.</translation>
    </message>
    <message>
        <source>The sharing service&apos;s answer was not a link to the picture.</source>
        <translation>Відповідь служби обміну не була посиланням на зображення.</translation>
    </message>
    <message>
        <source>Retry</source>
        <translation>Надіслати знову</translation>
    </message>
    <message>
        <source>Set up a sharing service…</source>
        <translation>Налаштувати службу обміну…</translation>
    </message>
</context>
<context>
    <name>UploadHandOff</name>
    <message>
        <source> It was kept at %1</source>
        <extracomment>Follows a message about a failed upload, after its full stop; %1 is the picture&apos;s file.</extracomment>
        <translation> Його збережено в %1</translation>
    </message>
</context>
<context>
    <name>main</name>
    <message>
        <source>Vornik could not be started</source>
        <translation>не вдалося запустити Vornik</translation>
    </message>
    <message>
        <source>the running Vornik did not answer</source>
        <translation>запущений Vornik не відповів</translation>
    </message>
</context>
</TS>
