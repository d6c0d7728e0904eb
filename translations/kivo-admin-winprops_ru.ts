<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ru_RU">
<context>
    <name>CommandLineActions</name>
    <message>
        <location filename="../app/commandlineactions.cpp" line="+51"/>
        <source>the window name given to --delete is empty</source>
        <translation>имя окна, указанное в --delete, пустое</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>invalid window record &quot;%1&quot;: %2</source>
        <translation>недопустимая запись окна «%1»: %2</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>the window name given to --edit is empty</source>
        <translation>имя окна, указанное в --edit, пустое</translation>
    </message>
    <message>
        <location line="+15"/>
        <source>the window properties could not be read from the service: %1</source>
        <translation>не удалось получить свойства окон от службы: %1</translation>
    </message>
    <message>
        <location line="+9"/>
        <source>the window properties could not be stored: %1</source>
        <translation>не удалось сохранить свойства окон: %1</translation>
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
        <location line="+27"/>
        <source>Set geometry</source>
        <translation>Задать геометрию</translation>
    </message>
    <message>
        <location line="+14"/>
        <source>x offset:</source>
        <translation>Смещение по X:</translation>
    </message>
    <message>
        <location line="+32"/>
        <source>from right edge</source>
        <translation>от правого края</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>y offset:</source>
        <translation>Смещение по Y:</translation>
    </message>
    <message>
        <location line="+32"/>
        <source>from bottom edge</source>
        <translation>от нижнего края</translation>
    </message>
    <message>
        <location line="+14"/>
        <source>or</source>
        <translation>или</translation>
    </message>
    <message>
        <location line="+13"/>
        <source>put in the center of screen</source>
        <translation>по центру экрана</translation>
    </message>
    <message>
        <location line="+27"/>
        <source>size:</source>
        <translation>Размер:</translation>
    </message>
    <message>
        <location line="+34"/>
        <source>x</source>
        <translation>x</translation>
    </message>
</context>
<context>
    <name>KivoHelp</name>
    <message>
        <location filename="../platform/kivoui/kivohelp.cpp" line="+62"/>
        <source>Help – %1</source>
        <translation>Справка – %1</translation>
    </message>
</context>
<context>
    <name>KivoIconDialog</name>
    <message>
        <location filename="../platform/kivouiextra/kivoicondialog.cpp" line="+121"/>
        <source>Select Icon</source>
        <translation>Выбор значка</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Search icons</source>
        <translation>Поиск значков</translation>
    </message>
    <message>
        <location line="+14"/>
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
        <location filename="../app/commandline.cpp" line="+9"/>
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
        <source>win name</source>
        <translation>имя окна</translation>
    </message>
    <message>
        <location line="-1"/>
        <source>Edit properties for window &lt;win name&gt;</source>
        <translation>Изменить свойства окна &lt;имя окна&gt;</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Don&apos;t ask questions</source>
        <translation>Не задавать вопросов</translation>
    </message>
</context>
<context>
    <name>WinProps</name>
    <message>
        <location filename="../platform/winprops/winprops.cpp" line="+110"/>
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
        <location line="+4"/>
        <source>&quot;\%1&quot; is not an escape; only \;, \= and \\ are.</source>
        <translation>«\%1» — не экранирование; допустимы только \;, \= и \\.</translation>
    </message>
    <message>
        <location line="+20"/>
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
        <location line="+147"/>
        <source>The service sent data of the type &quot;%1&quot; where a list of window properties &quot;%2&quot; was expected.</source>
        <translation>Служба прислала данные типа «%1», а ожидался список свойств окон «%2».</translation>
    </message>
</context>
<context>
    <name>WinPropsDialog</name>
    <message>
        <location filename="../dialog/winpropsdialog.ui" line="+14"/>
        <source>Configure windows properties</source>
        <translation>Настройка свойств окон</translation>
    </message>
    <message>
        <location line="+20"/>
        <source>Add...</source>
        <translation>Добавить...</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>Rename...</source>
        <translation>Переименовать...</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>Delete</source>
        <translation>Удалить</translation>
    </message>
    <message>
        <location filename="../dialog/winpropsdialog.cpp" line="+87"/>
        <source>Window properties unavailable</source>
        <translation>Свойства окон недоступны</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>The window properties could not be read from the service:</source>
        <translation>Не удалось получить свойства окон от службы:</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Saving will replace all stored window properties with the entries shown here.</source>
        <translation>При сохранении все сохранённые свойства окон будут заменены показанными здесь записями.</translation>
    </message>
    <message>
        <location line="+106"/>
        <source>Replace all window properties</source>
        <translation>Замена всех свойств окон</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>The stored window properties could not be read when this dialog opened. Saving replaces all of them with the entries shown here. Do you want to continue?</source>
        <translation>При открытии этого диалога не удалось прочитать сохранённые свойства окон. При сохранении все они будут заменены показанными здесь записями. Продолжить?</translation>
    </message>
    <message numerus="yes">
        <location line="+26"/>
        <source>and %n more</source>
        <translation>
            <numerusform>и ещё %n</numerusform>
            <numerusform>и ещё %n</numerusform>
            <numerusform>и ещё %n</numerusform>
        </translation>
    </message>
    <message>
        <location line="+1"/>
        <source>There are no properties for window names:&lt;br&gt;%1&lt;br&gt;&lt;br&gt;These names will be removed. Do you want to continue?</source>
        <translation>Для этих имён окон не задано ни одного свойства:&lt;br&gt;%1&lt;br&gt;&lt;br&gt;Эти имена будут удалены. Продолжить?</translation>
    </message>
    <message>
        <location line="+3"/>
        <location filename="../dialog/winpropsentries.cpp" line="+176"/>
        <source>Missing properties</source>
        <translation>Свойства не заданы</translation>
    </message>
    <message>
        <location line="+26"/>
        <source>Saving failed</source>
        <translation>Ошибка сохранения</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>The window properties could not be saved:</source>
        <translation>Не удалось сохранить свойства окон:</translation>
    </message>
    <message>
        <location line="+49"/>
        <source>Unsaved changes</source>
        <translation>Несохранённые изменения</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>There are some unapplied changes. Do you want to save them now?</source>
        <translation>Есть неприменённые изменения. Сохранить их сейчас?</translation>
    </message>
    <message>
        <location filename="../dialog/winpropsentries.cpp" line="-120"/>
        <location line="+137"/>
        <source>Empty window name</source>
        <translation>Пустое имя окна</translation>
    </message>
    <message>
        <location line="-136"/>
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
        <location line="+15"/>
        <source>Renaming window id</source>
        <translation>Переименование окна</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>Enter new program name or window class:</source>
        <translation>Введите новое имя программы или класс окна:</translation>
    </message>
    <message>
        <location line="+13"/>
        <source>Deleting properties</source>
        <translation>Удаление свойств</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Are you sure you want to delete window propeties for &quot;%1&quot;?</source>
        <translation>Вы действительно хотите удалить свойства окна «%1»?</translation>
    </message>
    <message>
        <location line="+42"/>
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
        <location line="+25"/>
        <source>There are no setted window properties for &quot;%1&quot;. Do you want to create them?</source>
        <translation>Для «%1» свойства окна не заданы. Создать их?</translation>
    </message>
    <message>
        <location line="+17"/>
        <source>The window name given on the command line is empty.</source>
        <translation>Имя окна, указанное в командной строке, пустое.</translation>
    </message>
</context>
<context>
    <name>WinPropsService</name>
    <message>
        <location filename="../service/winpropsservice.cpp" line="+42"/>
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
        <location line="+22"/>
        <source>Appearance</source>
        <translation>Внешний вид</translation>
    </message>
    <message>
        <location line="+39"/>
        <source>No title</source>
        <translation>Без заголовка</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>No border</source>
        <translation>Без рамки</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>No border edge</source>
        <translation>Без края рамки</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>No control menu button</source>
        <translation>Без кнопки меню окна</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>No minimize button</source>
        <translation>Без кнопки «Свернуть»</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>No maximize/restore button</source>
        <translation>Без кнопки «Развернуть/Восстановить»</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>No close button</source>
        <translation>Без кнопки «Закрыть»</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>No taskbar button</source>
        <translation>Без кнопки на панели задач</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>No pager miniature</source>
        <translation>Без миниатюры в переключателе рабочих столов</translation>
    </message>
    <message>
        <location line="+34"/>
        <source>Small image (for control menu):</source>
        <translation>Маленький значок (для меню окна):</translation>
    </message>
    <message>
        <location line="+22"/>
        <location line="+20"/>
        <source>Button to show and select icon</source>
        <translation>Кнопка для показа и выбора значка</translation>
    </message>
    <message>
        <location line="-17"/>
        <location line="+20"/>
        <source>The button to show icon and call icon selection dialog.</source>
        <translation>Кнопка показывает значок и открывает диалог выбора значка.</translation>
    </message>
    <message>
        <location line="-13"/>
        <source>Large image (for task switcher):</source>
        <translation>Большой значок (для переключателя окон):</translation>
    </message>
    <message>
        <location line="+42"/>
        <source>Shadow:</source>
        <translation>Тень:</translation>
    </message>
    <message>
        <location line="+37"/>
        <source>Transparency:</source>
        <translation>Прозрачность:</translation>
    </message>
    <message>
        <location line="+60"/>
        <source>Behavior</source>
        <translation>Поведение</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>Not affect paging</source>
        <translation>На всех рабочих столах</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>Not active (no focus)</source>
        <translation>Не активировать (без фокуса)</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>For irritating error windows</source>
        <translation>Для назойливых окон с сообщениями об ошибках</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Close a window soon</source>
        <translation>Вскоре закрывать окно</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>Always keep on top</source>
        <translation>Всегда поверх других окон</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>Always keep at bottom</source>
        <translation>Всегда под другими окнами</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>Maximized on initializing</source>
        <translation>Разворачивать при запуске</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>Minimized on initializing</source>
        <translation>Сворачивать при запуске</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>Put focus on click</source>
        <translation>Фокус только по щелчку</translation>
    </message>
</context>
</TS>
