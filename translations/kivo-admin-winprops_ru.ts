<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ru_RU">
<context>
    <name>ApprcInterface</name>
    <message>
        <location filename="../service/apprcinterface.cpp" line="+114"/>
        <source>The service sent no description of this desktop.</source>
        <translation>Служба не прислала описание этого рабочего стола.</translation>
    </message>
    <message>
        <location line="+39"/>
        <source>The window properties were changed elsewhere.</source>
        <translation>Свойства окон были изменены в другом месте.</translation>
    </message>
</context>
<context>
    <name>CommandLineActions</name>
    <message>
        <location filename="../app/commandlineactions.cpp" line="+51"/>
        <source>the file name given to --import is empty</source>
        <translation>имя файла, переданное в --import, пусто</translation>
    </message>
    <message>
        <location line="+11"/>
        <source>the window name given to --delete is empty</source>
        <translation>имя окна, указанное в --delete, пустое</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>the window name &quot;%1&quot; given to --delete is not valid text</source>
        <translation>имя окна «%1», указанное в --delete, не является допустимым текстом</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>the window record &quot;%1&quot; is not valid text</source>
        <translation>запись окна «%1» не является допустимым текстом</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>invalid window record &quot;%1&quot;: %2</source>
        <translation>недопустимая запись окна «%1»: %2</translation>
    </message>
    <message>
        <location line="+22"/>
        <source>%1, line %2: %3</source>
        <translation>%1, строка %2: %3</translation>
    </message>
    <message>
        <location line="-17"/>
        <source>the window name given to --edit is empty</source>
        <translation>имя окна, указанное в --edit, пустое</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>the window name &quot;%1&quot; given to --edit is not valid text</source>
        <translation>имя окна «%1», указанное в --edit, не является допустимым текстом</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>unexpected argument &quot;%1&quot;</source>
        <translation>неожиданный аргумент «%1»</translation>
    </message>
    <message>
        <location line="+33"/>
        <source>ignoring the argument &quot;%1&quot;, which belongs to no option</source>
        <translation>аргумент «%1» не относится ни к одному параметру и пропускается</translation>
    </message>
    <message>
        <location line="+66"/>
        <source>the properties %1 of &quot;%2&quot; have no effect on this desktop (%3)</source>
        <translation>свойства %1 окна &quot;%2&quot; не действуют на этом рабочем столе (%3)</translation>
    </message>
    <message>
        <location line="+12"/>
        <source>the record for &quot;%1&quot; sets no property, so the stored entry of &quot;%1&quot; was removed</source>
        <translation>запись для «%1» не задаёт ни одного свойства, поэтому сохранённая запись «%1» удалена</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>the record for &quot;%1&quot; sets no property, so nothing is stored for &quot;%1&quot;</source>
        <translation>запись для «%1» не задаёт ни одного свойства, поэтому для «%1» ничего не сохранено</translation>
    </message>
    <message>
        <location line="-67"/>
        <location filename="../app/listingactions.cpp" line="+186"/>
        <source>the window properties could not be read from the service: %1</source>
        <translation>не удалось получить свойства окон от службы: %1</translation>
    </message>
    <message>
        <location line="+15"/>
        <source>the window properties could not be stored: %1</source>
        <translation>не удалось сохранить свойства окон: %1</translation>
    </message>
    <message>
        <location filename="../app/listingactions.cpp" line="-102"/>
        <source>standard output could not be written</source>
        <translation>не удалось записать в стандартный вывод</translation>
    </message>
    <message>
        <location line="-50"/>
        <source>the file &quot;%1&quot; could not be written: %2</source>
        <translation>не удалось записать файл &quot;%1&quot;: %2</translation>
    </message>
    <message>
        <location line="+145"/>
        <source>the window name given to --show is empty</source>
        <translation>имя окна, переданное в --show, пусто</translation>
    </message>
    <message>
        <location line="-120"/>
        <source>it is a named pipe that nobody reads</source>
        <translation>это именованный канал, из которого никто не читает</translation>
    </message>
    <message>
        <location line="+100"/>
        <source>the service does not tell what this desktop does with window properties</source>
        <translation>служба не сообщает, что этот рабочий стол делает со свойствами окон</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>the service could not be asked what this desktop does with window properties: %1</source>
        <translation>не удалось спросить службу, что этот рабочий стол делает со свойствами окон: %1</translation>
    </message>
    <message>
        <location line="+57"/>
        <source>no properties are stored for the window &quot;%1&quot;</source>
        <translation>для окна &quot;%1&quot; не сохранено свойств</translation>
    </message>
    <message>
        <location line="+35"/>
        <source>left out an entry without a window name, which no record line can hold</source>
        <translation>пропущена запись без имени окна: её не может содержать ни одна строка записи</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>left out a second entry of &quot;%1&quot;; the first is listed</source>
        <translation>пропущена вторая запись «%1»; выведена первая</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>left out the entry of &quot;%1&quot;, whose values no record line can hold</source>
        <translation>пропущена запись «%1»: её значения не может содержать ни одна строка записи</translation>
    </message>
    <message>
        <location line="+15"/>
        <source>the file &quot;%1&quot; could not be read: %2</source>
        <translation>не удалось прочитать файл &quot;%1&quot;: %2</translation>
    </message>
    <message>
        <location filename="../app/main.cpp" line="+47"/>
        <source>Try &quot;%1 --help&quot; for the options.</source>
        <translation>Параметры выводит «%1 --help».</translation>
    </message>
    <message>
        <location filename="../app/listingactions.cpp" line="+21"/>
        <source>it holds more than %1 bytes, more than any window properties can take</source>
        <translation>он содержит более %1 байт — больше, чем могут занять любые свойства окон</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>nothing came from it for %1 seconds</source>
        <translation>из него ничего не поступало %1 с</translation>
    </message>
    <message>
        <location filename="../app/main.cpp" line="+18"/>
        <source>the dialog needs a display, and none was found; --help, --list, --show, --export and --quiet work without one</source>
        <translation>диалогу нужен дисплей, но он не найден; --help, --list, --show, --export и --quiet работают без него</translation>
    </message>
    <message>
        <location line="+27"/>
        <source>another quiet run did not end in time; nothing was changed</source>
        <translation>другой тихий запуск не завершился вовремя; ничего не изменено</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>the window properties are open in the dialog; nothing was changed</source>
        <translation>свойства окон открыты в диалоге; ничего не изменено</translation>
    </message>
    <message>
        <location line="+17"/>
        <source>the connection to the session bus was lost while waiting for the service (the bus drops a client whose message is larger than it accepts)</source>
        <translation>соединение с сеансовой шиной потеряно во время ожидания службы (шина разрывает соединение с клиентом, чьё сообщение больше допустимого)</translation>
    </message>
    <message>
        <location line="+29"/>
        <source>--list, --show and --export open no dialog; give --quiet to make changes as well</source>
        <translation>--list, --show и --export не открывают диалог; чтобы заодно внести изменения, укажите --quiet</translation>
    </message>
    <message>
        <location line="+28"/>
        <source>a quiet run started before the dialog did not end in time; the dialog was not opened</source>
        <translation>тихий запуск, начатый до диалога, не завершился вовремя; диалог не открыт</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>Windows properties</source>
        <translation>Свойства окон</translation>
    </message>
    <message>
        <location filename="../platform/winprops/recordlines.cpp" line="+30"/>
        <source>the line is not UTF-8 text</source>
        <translation>строка не является текстом UTF-8</translation>
    </message>
    <message>
        <location line="+24"/>
        <source>the window &quot;%1&quot; is already on line %2</source>
        <translation>окно &quot;%1&quot; уже есть в строке %2</translation>
    </message>
</context>
<context>
    <name>GeometryWidget</name>
    <message>
        <location filename="../editor/geometrywidget.ui" line="+20"/>
        <source>Form</source>
        <translation>Форма</translation>
    </message>
    <message>
        <location line="+21"/>
        <source>Set &amp;geometry</source>
        <translation>Задать &amp;геометрию</translation>
    </message>
    <message>
        <location line="+24"/>
        <source>x offset:</source>
        <translation>Смещение по X:</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>x offset</source>
        <translation>смещение по x</translation>
    </message>
    <message>
        <location line="+22"/>
        <source>from right edge</source>
        <translation>от правого края</translation>
    </message>
    <message>
        <location line="+9"/>
        <source>from rig&amp;ht edge</source>
        <translation>от пр&amp;авого края</translation>
    </message>
    <message>
        <location line="+10"/>
        <source>y offset:</source>
        <translation>Смещение по Y:</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>y offset</source>
        <translation>смещение по y</translation>
    </message>
    <message>
        <location line="+22"/>
        <source>from bottom edge</source>
        <translation>от нижнего края</translation>
    </message>
    <message>
        <location line="+9"/>
        <source>&amp;from bottom edge</source>
        <translation>от ни&amp;жнего края</translation>
    </message>
    <message>
        <location line="+14"/>
        <source>or</source>
        <translation>или</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>put in the center of screen</source>
        <translation>по центру экрана</translation>
    </message>
    <message>
        <location line="+9"/>
        <source>put &amp;in the center of screen</source>
        <translation>по &amp;центру экрана</translation>
    </message>
    <message>
        <location line="+30"/>
        <source>size:</source>
        <translation>Размер:</translation>
    </message>
    <message>
        <location line="+9"/>
        <source>Width</source>
        <translation>Ширина</translation>
    </message>
    <message>
        <location line="+28"/>
        <source>x</source>
        <translation>x</translation>
    </message>
    <message>
        <location line="+10"/>
        <source>Height</source>
        <translation>Высота</translation>
    </message>
</context>
<context>
    <name>KivoHelp</name>
    <message>
        <location filename="../platform/kivoui/kivohelp.cpp" line="+64"/>
        <source>Help – %1</source>
        <translation>Справка – %1</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Windows properties</source>
        <translation>Свойства окон</translation>
    </message>
</context>
<context>
    <name>KivoIconDialog</name>
    <message>
        <location filename="../platform/kivouiextra/kivoicondialog.cpp" line="+123"/>
        <source>Select Icon</source>
        <translation>Выбор значка</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Search icons</source>
        <translation>Поиск значков</translation>
    </message>
    <message>
        <location line="+17"/>
        <source>Browse...</source>
        <translation>Обзор...</translation>
    </message>
    <message>
        <location line="+72"/>
        <source>Select Image File</source>
        <translation>Выбор файла изображения</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Images (*.png *.svg *.svgz *.xpm *.ico *.jpg *.jpeg *.bmp *.gif);;All files (*)</source>
        <translation>Изображения (*.png *.svg *.svgz *.xpm *.ico *.jpg *.jpeg *.bmp *.gif);;Все файлы (*)</translation>
    </message>
</context>
<context>
    <name>QObject</name>
    <message>
        <location filename="../app/commandline.cpp" line="+11"/>
        <source>Add properties for window defined by &lt;win record&gt;</source>
        <translation>Добавить свойства окна, заданного записью &lt;запись окна&gt;</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>win record</source>
        <translation>запись окна</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Delete properties for window &lt;win name&gt;</source>
        <translation>Удалить свойства окна &lt;имя окна&gt;</translation>
    </message>
    <message>
        <location line="+1"/>
        <location line="+3"/>
        <location line="+10"/>
        <source>win name</source>
        <translation>имя окна</translation>
    </message>
    <message>
        <location line="-11"/>
        <source>Edit properties for window &lt;win name&gt;</source>
        <translation>Изменить свойства окна &lt;имя окна&gt;</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Don&apos;t ask questions</source>
        <translation>Не задавать вопросов</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Print the properties of every window as window records, one per line</source>
        <translation>Вывести свойства всех окон в виде записей окон, по одной на строку</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Print the properties of window &lt;win name&gt; as a window record</source>
        <translation>Вывести свойства окна &lt;имя окна&gt; в виде записи окна</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>Write the properties of every window to &lt;file&gt; (- for standard output)</source>
        <translation>Записать свойства всех окон в &lt;файл&gt; (- для стандартного вывода)</translation>
    </message>
    <message>
        <location line="+2"/>
        <location line="+6"/>
        <source>file</source>
        <translation>файл</translation>
    </message>
    <message>
        <location line="-4"/>
        <source>Add the window records of &lt;file&gt; (- for standard input), replacing windows of the same name</source>
        <translation>Добавить записи окон из &lt;файл&gt; (- для стандартного ввода), заменяя окна с теми же именами</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>Print which desktop applies the window properties and what each property does there</source>
        <translation>Вывести, какой рабочий стол применяет свойства окон и что там делает каждое свойство</translation>
    </message>
    <message>
        <location line="+9"/>
        <source>Edits the window properties of programs: how the desktop decorates and manages their windows.</source>
        <translation>Изменяет свойства окон программ: как рабочий стол оформляет их окна и управляет ими.</translation>
    </message>
    <message>
        <location line="+35"/>
        <source>See kivo-admin-winprops(1) for the window record syntax and the exit statuses.</source>
        <translation>Синтаксис записей окон и коды завершения описаны в kivo-admin-winprops(1).</translation>
    </message>
</context>
<context>
    <name>WinProps</name>
    <message>
        <location filename="../platform/winprops/winprops.cpp" line="+75"/>
        <source>The window name is empty.</source>
        <translation>Имя окна пустое.</translation>
    </message>
    <message>
        <location line="+16"/>
        <source>The record contains the control character U+%1.</source>
        <translation>Запись содержит управляющий символ U+%1.</translation>
    </message>
    <message>
        <location line="+15"/>
        <source>The record ends with a backslash that escapes nothing.</source>
        <translation>Запись заканчивается обратной косой чертой, которая ничего не экранирует.</translation>
    </message>
    <message>
        <location line="+33"/>
        <source>&quot;\u&quot; needs four hexadecimal digits.</source>
        <translation>После &quot;\u&quot; нужны четыре шестнадцатеричные цифры.</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>&quot;\%1&quot; is not an escape; only \;, \=, \\, \n, \t and \uXXXX are.</source>
        <translation>&quot;\%1&quot; не является экранированием; допустимы только \;, \=, \\, \n, \t и \uXXXX.</translation>
    </message>
    <message>
        <location line="+17"/>
        <source>The record has an empty property.</source>
        <translation>В записи есть пустое свойство.</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>A property has no name before its &quot;=&quot;.</source>
        <translation>У свойства нет имени перед «=».</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>&quot;%1&quot; is not a window property.</source>
        <translation>«%1» не является свойством окна.</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>The property &quot;%1&quot; is given twice.</source>
        <translation>Свойство «%1» указано дважды.</translation>
    </message>
    <message>
        <location line="+34"/>
        <source>&quot;%1&quot; is not a value of the switch &quot;%2&quot;; use 1, 0, true, false, yes, no, on or off.</source>
        <translation>«%1» не является значением переключателя «%2»; используйте 1, 0, true, false, yes, no, on или off.</translation>
    </message>
    <message>
        <location line="+9"/>
        <location line="+20"/>
        <source>The property &quot;%1&quot; needs a value.</source>
        <translation>Свойству «%1» требуется значение.</translation>
    </message>
    <message>
        <location line="-10"/>
        <source>&quot;%1&quot; is not a value of &quot;%2&quot;; use a number from 0 to 100, or -1 for none.</source>
        <translation>«%1» не является значением «%2»; используйте число от 0 до 100 или -1, чтобы не задавать значение.</translation>
    </message>
    <message>
        <location line="+12"/>
        <source>&quot;%1&quot; is not a geometry of the form WIDTHxHEIGHT+X+Y (a &quot;-&quot; before X or Y counts from the right or bottom edge).</source>
        <translation>«%1» не является геометрией вида ШИРИНАxВЫСОТА+X+Y («-» перед X или Y означает отсчёт от правого или нижнего края).</translation>
    </message>
    <message>
        <location line="+121"/>
        <source>The service sent data of the type &quot;%1&quot; where a list of window properties &quot;%2&quot; was expected.</source>
        <translation>Служба прислала данные типа «%1», а ожидался список свойств окон «%2».</translation>
    </message>
</context>
<context>
    <name>WinPropsDialog</name>
    <message>
        <location filename="../dialog/winpropsentries.cpp" line="+116"/>
        <location line="+23"/>
        <location line="+4"/>
        <location line="+5"/>
        <source>Pick a window</source>
        <translation>Выбрать окно</translation>
    </message>
    <message>
        <location filename="../dialog/winpropsdialog.ui" line="+60"/>
        <source>Pick a window with the mouse</source>
        <translation>Выбрать окно мышью</translation>
    </message>
    <message>
        <location line="-3"/>
        <source>Click a window on the screen to add or select the entry of its program. Escape or a right click cancels.</source>
        <translation>Щёлкните по окну на экране, чтобы добавить или выбрать запись его программы. Escape или щелчок правой кнопкой отменяет выбор.</translation>
    </message>
    <message>
        <location filename="../dialog/winpropsentries.cpp" line="-30"/>
        <source>Another program holds the mouse pointer or the keyboard. Try again when it lets go.</source>
        <translation>Другая программа удерживает указатель мыши или клавиатуру. Повторите попытку, когда она их отпустит.</translation>
    </message>
    <message>
        <location line="+2"/>
        <location line="+29"/>
        <source>The connection to the X display is lost.</source>
        <translation>Соединение с X-дисплеем потеряно.</translation>
    </message>
    <message>
        <location line="-9"/>
        <source>That was the desktop, not a window. Nothing was added.</source>
        <translation>Это был рабочий стол, а не окно. Ничего не добавлено.</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>That window has no program name or window class (WM_CLASS). Nothing was added.</source>
        <translation>У этого окна нет ни имени программы, ни класса окна (WM_CLASS). Ничего не добавлено.</translation>
    </message>
    <message>
        <location filename="../dialog/winpropsdialog.ui" line="-43"/>
        <source>Configure windows properties</source>
        <translation>Настройка свойств окон</translation>
    </message>
    <message>
        <location line="+10"/>
        <source>Filter window names</source>
        <translation>Фильтр имён окон</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Filter (Ctrl+F)</source>
        <translation>Фильтр (Ctrl+F)</translation>
    </message>
    <message>
        <location line="+10"/>
        <source>Window names</source>
        <translation>Имена окон</translation>
    </message>
    <message>
        <location line="+13"/>
        <source>&amp;Add...</source>
        <translation>&amp;Добавить...</translation>
    </message>
    <message>
        <location line="+13"/>
        <source>&amp;Pick a window</source>
        <translation>Выбрать &amp;окно</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>&amp;Rename...</source>
        <translation>Пе&amp;реименовать...</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>&amp;Delete</source>
        <translation>&amp;Удалить</translation>
    </message>
    <message>
        <location filename="../dialog/winpropsdialog.cpp" line="+154"/>
        <source>Window properties unavailable</source>
        <translation>Свойства окон недоступны</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Saving will replace all stored window properties with the entries shown here.</source>
        <translation>При сохранении все сохранённые свойства окон будут заменены показанными здесь записями.</translation>
    </message>
    <message>
        <location line="+71"/>
        <source>Replace all window properties</source>
        <translation>Замена всех свойств окон</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>The stored window properties could not be read when this dialog opened. Saving replaces all of them with the entries shown here. Do you want to continue?</source>
        <translation>При открытии этого диалога не удалось прочитать сохранённые свойства окон. При сохранении все они будут заменены показанными здесь записями. Продолжить?</translation>
    </message>
    <message numerus="yes">
        <location line="+34"/>
        <source>and %n more</source>
        <translation>
            <numerusform>и ещё %n</numerusform>
            <numerusform>и ещё %n</numerusform>
            <numerusform>и ещё %n</numerusform>
        </translation>
    </message>
    <message>
        <location line="-21"/>
        <source>There are no properties for window names:&lt;br&gt;%1&lt;br&gt;&lt;br&gt;These names will be removed. Do you want to continue?</source>
        <translation>Для этих имён окон не задано ни одного свойства:&lt;br&gt;%1&lt;br&gt;&lt;br&gt;Эти имена будут удалены. Продолжить?</translation>
    </message>
    <message>
        <location line="-92"/>
        <source>The window properties could not be read from the window-properties service. Check that it is installed and running (kivo-winpropsd, usually started with the session), then open this window again.</source>
        <translation>Не удалось прочитать свойства окон из службы свойств окон. Проверьте, что она установлена и запущена (kivo-winpropsd, обычно запускается вместе с сеансом), и откройте это окно снова.</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>The window properties could not be read from the service:</source>
        <translation>Не удалось получить свойства окон от службы:</translation>
    </message>
    <message>
        <location line="+92"/>
        <location filename="../dialog/winpropsentries.cpp" line="+121"/>
        <source>Missing properties</source>
        <translation>Свойства не заданы</translation>
    </message>
    <message>
        <location line="+34"/>
        <source>Saving failed</source>
        <translation>Ошибка сохранения</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>The window properties could not be saved:</source>
        <translation>Не удалось сохранить свойства окон:</translation>
    </message>
    <message>
        <location line="+18"/>
        <source>Changed elsewhere</source>
        <translation>Изменено в другом месте</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>While this dialog was open, these window names were also changed elsewhere:&lt;br&gt;%1&lt;br&gt;&lt;br&gt;Which changes do you want to keep?</source>
        <translation>Пока этот диалог был открыт, эти имена окон были изменены и в другом месте:&lt;br&gt;%1&lt;br&gt;&lt;br&gt;Какие изменения сохранить?</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>Keep &amp;mine</source>
        <translation>Оставить &amp;мои</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Keep &amp;theirs</source>
        <translation>Оставить &amp;чужие</translation>
    </message>
    <message>
        <location line="+53"/>
        <source>Unsaved changes</source>
        <translation>Несохранённые изменения</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>There are some unapplied changes. Do you want to save them now?</source>
        <translation>Есть неприменённые изменения. Сохранить их сейчас?</translation>
    </message>
    <message>
        <location filename="../dialog/winpropsentries.cpp" line="-206"/>
        <source>No window name matches &quot;%1&quot;.</source>
        <translation>Ни одно имя окна не соответствует «%1».</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Choose a window name from the list to edit its properties.</source>
        <translation>Выберите имя окна в списке, чтобы изменить его свойства.</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>The stored window properties are unavailable: the service could not be read. Entries added here replace them all when saved.</source>
        <translation>Сохранённые свойства окон недоступны: не удалось прочитать службу. Добавленные здесь записи при сохранении заменят их все.</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>No window properties are stored yet. Add... creates an entry for a program; Pick a window creates one for a window you click.</source>
        <translation>Свойства окон пока не сохранены. «Добавить...» создаёт запись для программы; «Выбрать окно» — для окна, по которому вы щёлкнете.</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>No window properties are stored yet. Add... creates an entry for a program.</source>
        <translation>Свойства окон пока не сохранены. «Добавить...» создаёт запись для программы.</translation>
    </message>
    <message>
        <location line="+13"/>
        <location line="+191"/>
        <source>Empty window name</source>
        <translation>Пустое имя окна</translation>
    </message>
    <message>
        <location line="-190"/>
        <source>Please enter non-empty window name</source>
        <translation>Введите непустое имя окна.</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>Properties are already exist</source>
        <translation>Свойства уже существуют</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Properties for &quot;%1&quot; are already exist. Do you want to set new window name?</source>
        <translation>Свойства для «%1» уже существуют. Ввести другое имя окна?</translation>
    </message>
    <message>
        <location line="+11"/>
        <source>Add new window properties</source>
        <translation>Добавление свойств окна</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>Enter program name or window class:</source>
        <translation>Введите имя программы или класс окна:</translation>
    </message>
    <message>
        <location line="+55"/>
        <source>Renaming window id</source>
        <translation>Переименование окна</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>Enter new program name or window class:</source>
        <translation>Введите новое имя программы или класс окна:</translation>
    </message>
    <message>
        <location line="+18"/>
        <source>Deleting properties</source>
        <translation>Удаление свойств</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Are you sure you want to delete window propeties for &quot;%1&quot;?</source>
        <translation>Вы действительно хотите удалить свойства окна «%1»?</translation>
    </message>
    <message>
        <location line="+38"/>
        <source>Nothing imported</source>
        <translation>Ничего не импортировано</translation>
    </message>
    <message>
        <location line="+8"/>
        <source>Invalid window record</source>
        <translation>Недопустимая запись окна</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>Properties already set</source>
        <translation>Свойства уже заданы</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Properties for &quot;%1&quot; already set. Do you want to rewrite them?</source>
        <translation>Свойства для «%1» уже заданы. Перезаписать их?</translation>
    </message>
    <message>
        <location line="+36"/>
        <source>There are no setted window properties for &quot;%1&quot;. Do you want to create them?</source>
        <translation>Для «%1» свойства окна не заданы. Создать их?</translation>
    </message>
    <message>
        <location line="+11"/>
        <source>The window name given on the command line is empty.</source>
        <translation>Имя окна, указанное в командной строке, пустое.</translation>
    </message>
</context>
<context>
    <name>WinPropsService</name>
    <message>
        <location filename="../platform/winprops/winpropsservice.cpp" line="+57"/>
        <source>The service sent a text of %1 characters; window names and values have at most %2.</source>
        <translation>Служба прислала текст из %1 символов; имена окон и значения содержат не более %2.</translation>
    </message>
    <message>
        <location line="+28"/>
        <source>The service sent no list of window properties.</source>
        <translation>Служба не прислала список свойств окон.</translation>
    </message>
</context>
<context>
    <name>WinPropsWidget</name>
    <message>
        <location filename="../editor/winpropswidget.ui" line="+14"/>
        <source>Form</source>
        <translation>Форма</translation>
    </message>
    <message>
        <location line="+32"/>
        <source>App&amp;earance</source>
        <translation>&amp;Внешний вид</translation>
    </message>
    <message>
        <location line="+42"/>
        <source>No &amp;title</source>
        <translation>Без &amp;заголовка</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>N&amp;o border</source>
        <translation>Без рамк&amp;и</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>&amp;No border edge</source>
        <translation>Без кра&amp;я рамки</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>No &amp;control menu button</source>
        <translation>Без &amp;кнопки меню окна</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>No minimi&amp;ze button</source>
        <translation>Без кнопки «&amp;Свернуть»</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>No ma&amp;ximize/restore button</source>
        <translation>&amp;Без кнопки «Развернуть/Восстановить»</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>No close b&amp;utton</source>
        <translation>Б&amp;ез кнопки «Закрыть»</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>No tas&amp;kbar button</source>
        <translation>Без кнопки &amp;на панели задач</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>No pager &amp;miniature</source>
        <translation>Без миниат&amp;юры в переключателе рабочих столов</translation>
    </message>
    <message>
        <location line="+34"/>
        <source>&amp;Small image (for control menu):</source>
        <translation>&amp;Маленький значок (для меню окна):</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>Small image</source>
        <translation>Маленькое изображение</translation>
    </message>
    <message>
        <location line="+18"/>
        <location line="+23"/>
        <source>Button to show and select icon</source>
        <translation>Кнопка для показа и выбора значка</translation>
    </message>
    <message>
        <location line="-20"/>
        <location line="+23"/>
        <source>The button to show icon and call icon selection dialog.</source>
        <translation>Кнопка показывает значок и открывает диалог выбора значка.</translation>
    </message>
    <message>
        <location line="-16"/>
        <source>&amp;Large image (for task switcher):</source>
        <translation>Бо&amp;льшой значок (для переключателя окон):</translation>
    </message>
    <message>
        <location line="+45"/>
        <source>Shado&amp;w:</source>
        <translation>&amp;Тень:</translation>
    </message>
    <message>
        <location line="+43"/>
        <source>Transparenc&amp;y:</source>
        <translation>Прозра&amp;чность:</translation>
    </message>
    <message>
        <location line="+66"/>
        <source>&amp;Behavior</source>
        <translation>&amp;Поведение</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>&amp;Not affect paging</source>
        <translation>&amp;На всех рабочих столах</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>Not active (no &amp;focus)</source>
        <translation>Не &amp;активировать (без фокуса)</translation>
    </message>
    <message>
        <location line="+10"/>
        <source>&amp;Close a window soon</source>
        <translation>Вскоре &amp;закрывать окно</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>Always keep on &amp;top</source>
        <translation>Вс&amp;егда поверх других окон</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>Always &amp;keep at bottom</source>
        <translation>Все&amp;гда под другими окнами</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>Maximized on &amp;initializing</source>
        <translation>Развора&amp;чивать при запуске</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>&amp;Minimized on initializing</source>
        <translation>&amp;Сворачивать при запуске</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>Put focus &amp;on click</source>
        <translation>&amp;Фокус только по щелчку</translation>
    </message>
    <message>
        <location line="-205"/>
        <source>Large image</source>
        <translation>Большое изображение</translation>
    </message>
    <message>
        <location line="+47"/>
        <location line="+19"/>
        <source>Shadow</source>
        <translation>Тень</translation>
    </message>
    <message>
        <location line="+24"/>
        <location line="+19"/>
        <source>Transparency</source>
        <translation>Прозрачность</translation>
    </message>
    <message>
        <location line="+58"/>
        <source>For irritating error windows</source>
        <translation>Для назойливых окон с сообщениями об ошибках</translation>
    </message>
    <message>
        <location filename="../editor/winpropswidget.cpp" line="+71"/>
        <source>Applied by %1</source>
        <translation>Применяет %1</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>This desktop does not apply window properties; they are kept for desktops that do.</source>
        <translation>Этот рабочий стол не применяет свойства окон; они хранятся для рабочих столов, которые это делают.</translation>
    </message>
    <message>
        <location line="+18"/>
        <source>No effect on this desktop (%1)</source>
        <translation>Не действует на этом рабочем столе (%1)</translation>
    </message>
</context>
</TS>
