#include "sample/SampleContent.h"

#include "sample/SampleRandom.h"

#include "support/Exception.h"

#include <QByteArray>

static QVariant Null() { return QVariant(); }

static QByteArray FixedPicture(int index) {
    // Sign images: the same bytes in every database, so a copied sign type is equal in full.
    TSampleRandom random(0x5157A7u + static_cast<unsigned>(index));
    return SamplePicture(random, 120, 400);
}

static QVector<TDictionaryTable> BuildDictionaries() {
    QVector<TDictionaryTable> tables;

    TDictionaryTable region;
    region.Table = QStringLiteral("Регион");
    region.KeyColumn = QStringLiteral("Код_региона");
    region.Columns = {QStringLiteral("Наименование"), QStringLiteral("Код_ОКАТО")};
    region.Rows = {{QStringLiteral("Московская область"), QStringLiteral("46000000000")},
                   {QStringLiteral("Тверская область"), QStringLiteral("28000000000")},
                   {QStringLiteral("Новгородская область"), QStringLiteral("49000000000")},
                   {QStringLiteral("Ленинградская область"), QStringLiteral("41000000000")}};
    region.CompleteInDestination = true;
    tables << region;

    TDictionaryTable district;
    district.Table = QStringLiteral("Район");
    district.KeyColumn = QStringLiteral("Код_района");
    district.Columns = {QStringLiteral("Наименование"), QStringLiteral("Код_региона")};
    district.Rows = {{QStringLiteral("Клинский район"), 0},     {QStringLiteral("Солнечногорский район"), 0},
                     {QStringLiteral("Конаковский район"), 1},  {QStringLiteral("Калининский район"), 1},
                     {QStringLiteral("Вышневолоцкий район"), 1}, {QStringLiteral("Валдайский район"), 2},
                     {QStringLiteral("Крестецкий район"), 2},   {QStringLiteral("Тосненский район"), 3}};
    district.References.insert(1, region.Table);
    district.CompleteInDestination = true;
    tables << district;

    TDictionaryTable settlement;
    settlement.Table = QStringLiteral("Населенный_пункт");
    settlement.KeyColumn = QStringLiteral("Код_населенного_пункта");
    settlement.Columns = {QStringLiteral("Наименование"), QStringLiteral("Код_района"), QStringLiteral("Численность")};
    settlement.Rows = {{QStringLiteral("Клин"), 0, 78000},           {QStringLiteral("Солнечногорск"), 1, 52000},
                       {QStringLiteral("Завидово"), 2, 1200},        {QStringLiteral("Конаково"), 2, 39000},
                       {QStringLiteral("Медное"), 3, 5000},          {QStringLiteral("Вышний Волочёк"), 4, 46000},
                       {QStringLiteral("Валдай"), 5, 15000},         {QStringLiteral("Крестцы"), 6, 8800},
                       {QStringLiteral("Тосно"), 7, 39000},          {QStringLiteral("Любань"), 7, Null()}};
    settlement.References.insert(1, district.Table);
    tables << settlement;

    TDictionaryTable organisation;
    organisation.Table = QStringLiteral("Организация");
    organisation.KeyColumn = QStringLiteral("Код_организации");
    organisation.Columns = {QStringLiteral("Наименование"), QStringLiteral("ИНН"), QStringLiteral("Адрес")};
    organisation.Rows = {
        {QStringLiteral("ФКУ «Упрдор Москва – Санкт-Петербург»"), QStringLiteral("7702011111"),
         QStringLiteral("г. Москва, ул. Шаболовка, д. 10")},
        {QStringLiteral("ГКУ «Дирекция дорожного фонда Тверской области»"), QStringLiteral("6905022222"),
         QStringLiteral("г. Тверь, пр-т Калинина, д. 4")},
        {QStringLiteral("АО «Тверьавтодор»"), QStringLiteral("6950033333"), QStringLiteral("г. Тверь, ул. Бочкина, д. 3")},
        {QStringLiteral("ООО «Дорстройпроект»"), QStringLiteral("5020044444"), QStringLiteral("г. Клин, ул. Литейная, д. 12")},
        {QStringLiteral("ГБУ «Мосавтодор»"), Null(), QStringLiteral("г. Москва, ул. Старая Басманная, д. 14")},
        {QStringLiteral("ООО «Новгородавтодор»"), QStringLiteral("5321066666"),
         QStringLiteral("г. Великий Новгород, ул. Державина, д. 8")}};
    tables << organisation;

    TDictionaryTable eventType;
    eventType.Table = QStringLiteral("Справочник_типов_событий");
    eventType.KeyColumn = QStringLiteral("Код_типа_события");
    eventType.Columns = {QStringLiteral("Описание"), QStringLiteral("Код_типа_объекта"),
                         QStringLiteral("Код_подтипа_объекта")};
    // Even rows are inspections (they find defects), odd rows are works (they mend them).
    eventType.Rows = {{QStringLiteral("Диагностика покрытия"), 1, Null()},
                      {QStringLiteral("Текущий ремонт"), 1, 1},
                      {QStringLiteral("Обследование искусственного сооружения"), 3, 1},
                      {QStringLiteral("Капитальный ремонт"), 1, 2},
                      {QStringLiteral("Паспортизация"), 2, Null()},
                      {QStringLiteral("Содержание"), Null(), Null()}};
    tables << eventType;

    TDictionaryTable defectType;
    defectType.Table = QStringLiteral("Справочник_типов_дефектов");
    defectType.KeyColumn = QStringLiteral("Код_типа_дефекта");
    defectType.Columns = {QStringLiteral("Описание"), QStringLiteral("Код_типа_объекта"),
                          QStringLiteral("Код_подтипа_объекта"), QStringLiteral("Критичность")};
    defectType.Rows = {{QStringLiteral("Выбоина"), 1, Null(), 3},
                       {QStringLiteral("Колея"), 1, Null(), 2},
                       {QStringLiteral("Сетка трещин"), 1, 1, 2},
                       {QStringLiteral("Поперечная трещина"), 1, 1, 1},
                       {QStringLiteral("Разрушение кромки"), 1, 2, 2},
                       {QStringLiteral("Повреждение барьерного ограждения"), 4, Null(), 3},
                       {QStringLiteral("Отсутствие горизонтальной разметки"), 5, Null(), 1}};
    tables << defectType;

    TDictionaryTable signType;
    signType.Table = QStringLiteral("Справочник_типов_знаков");
    signType.KeyColumn = QStringLiteral("Код_типа_знака");
    signType.Columns = {QStringLiteral("Номер_по_ГОСТу"), QStringLiteral("Наименование"), QStringLiteral("Изображение")};
    const QList<QPair<QString, QString>> signs = {
        {QStringLiteral("1.11.1"), QStringLiteral("Опасный поворот")},
        {QStringLiteral("1.20.2"), QStringLiteral("Сужение дороги справа")},
        {QStringLiteral("2.1"), QStringLiteral("Главная дорога")},
        {QStringLiteral("3.20"), QStringLiteral("Обгон запрещен")},
        {QStringLiteral("3.24"), QStringLiteral("Ограничение максимальной скорости")},
        {QStringLiteral("5.16"), QStringLiteral("Место остановки автобуса")},
        {QStringLiteral("5.19.1"), QStringLiteral("Пешеходный переход")},
        {QStringLiteral("6.13"), QStringLiteral("Километровый знак")}};
    for (int i = 0; i < signs.size(); ++i) signType.Rows << QVariantList{signs[i].first, signs[i].second, FixedPicture(i)};
    tables << signType;

    TDictionaryTable surface;
    surface.Table = QStringLiteral("Справочник_покрытий");
    surface.KeyColumn = QStringLiteral("Код_покрытия");
    surface.Columns = {QStringLiteral("Описание"), QStringLiteral("Срок_службы_лет")};
    surface.Rows = {{QStringLiteral("Асфальтобетон"), 12},
                    {QStringLiteral("Щебеночно-мастичный асфальтобетон"), 15},
                    {QStringLiteral("Цементобетон"), 25},
                    {QStringLiteral("Щебень"), 6},
                    {QStringLiteral("Грунт"), Null()}};
    tables << surface;

    TDictionaryTable unit;
    unit.Table = QStringLiteral("Справочник_единиц_измерения");
    unit.KeyColumn = QStringLiteral("Код_единицы");
    unit.Columns = {QStringLiteral("Описание"), QStringLiteral("Обозначение")};
    unit.Rows = {{QStringLiteral("Миллиметр"), QStringLiteral("мм")},
                 {QStringLiteral("Метр"), QStringLiteral("м")},
                 {QStringLiteral("Коэффициент сцепления"), Null()},
                 {QStringLiteral("Процент"), QStringLiteral("%")},
                 {QStringLiteral("Балл"), QStringLiteral("б")}};
    tables << unit;

    return tables;
}

const QVector<TDictionaryTable>& SampleDictionaries() {
    static const QVector<TDictionaryTable> tables = BuildDictionaries();
    return tables;
}

const TDictionaryTable& SampleDictionary(const QString& table) {
    for (const TDictionaryTable& dictionary : SampleDictionaries())
        if (dictionary.Table == table) return dictionary;
    throw Exception(QStringLiteral("Нет такого справочника в образце базы: ") + table);
}

static TSampleWords BuildWords() {
    TSampleWords w;
    w.Roads = {QStringLiteral("М-10 «Россия» Москва – Тверь – Великий Новгород – Санкт-Петербург"),
               QStringLiteral("М-11 «Нева» Москва – Санкт-Петербург"),
               QStringLiteral("Р-84 Тверь – Ржев"),
               QStringLiteral("Р-90 Тверь – Бежецк – Весьегонск"),
               QStringLiteral("А-108 Московское большое кольцо"),
               QStringLiteral("Р-56 Великий Новгород – Псков"),
               QStringLiteral("Р-132 «Золотое кольцо»")};
    w.ObjectKinds = {QStringLiteral("Мост через р. "),       QStringLiteral("Путепровод через железную дорогу"),
                     QStringLiteral("Водопропускная труба"), QStringLiteral("Автобусная остановка"),
                     QStringLiteral("Съезд на местную дорогу"), QStringLiteral("Площадка отдыха"),
                     QStringLiteral("Пересечение в одном уровне"), QStringLiteral("Пункт весового контроля")};
    w.Rivers = {QStringLiteral("Сестра"), QStringLiteral("Тверца"), QStringLiteral("Мста"),
                QStringLiteral("Лама"),   QStringLiteral("Шоша"),   QStringLiteral("Волга")};
    w.SectionEnds = {QStringLiteral("Клин"),    QStringLiteral("Завидово"), QStringLiteral("Конаково"),
                     QStringLiteral("Медное"),  QStringLiteral("Торжок"),   QStringLiteral("Выдропужск"),
                     QStringLiteral("Валдай"),  QStringLiteral("Крестцы"),  QStringLiteral("Тосно")};
    w.EventNotes = {QStringLiteral("Работы выполнены передвижной дорожной лабораторией."),
                    QStringLiteral("Осмотр проведен комиссией в составе представителей заказчика и подрядчика.\n"
                                   "Замечания внесены в ведомость дефектов."),
                    QStringLiteral("Работы приняты без замечаний."),
                    QStringLiteral("Погодные условия: пасмурно, температура воздуха +8 °C, покрытие сухое.")};
    w.DefectPlaces = {QStringLiteral("на правой полосе"), QStringLiteral("на левой полосе"),
                      QStringLiteral("на обочине"), QStringLiteral("на проезжей части моста"),
                      QStringLiteral("в зоне пешеходного перехода")};
    w.RepairWorks = {QStringLiteral("Ямочный ремонт литым асфальтобетоном."),
                     QStringLiteral("Фрезерование и укладка верхнего слоя покрытия из ЩМА-20."),
                     QStringLiteral("Замена секций барьерного ограждения."),
                     QStringLiteral("Заливка трещин битумно-полимерной мастикой."),
                     QStringLiteral("Нанесение горизонтальной разметки термопластиком.")};
    w.AccidentKinds = {QStringLiteral("Съезд с дороги с последующим опрокидыванием."),
                       QStringLiteral("Столкновение двух легковых автомобилей при обгоне."),
                       QStringLiteral("Наезд на пешехода на нерегулируемом пешеходном переходе."),
                       QStringLiteral("Наезд на препятствие (барьерное ограждение).")};
    w.CarMakes = {QStringLiteral("Lada Granta"), QStringLiteral("КамАЗ 65115"), QStringLiteral("Hyundai Solaris"),
                  QStringLiteral("ГАЗель Next"), QStringLiteral("Volkswagen Polo")};
    w.People = {QStringLiteral("Иванов Сергей Петрович"),   QStringLiteral("Смирнова Анна Викторовна"),
                QStringLiteral("Кузнецов Дмитрий Олегович"), QStringLiteral("Попов Алексей Иванович"),
                QStringLiteral("Васильева Ольга Николаевна"), QStringLiteral("Соколов Игорь Андреевич")};
    w.Roles = {QStringLiteral("Водитель"), QStringLiteral("Пассажир"), QStringLiteral("Пешеход")};
    w.Streets = {QStringLiteral("ул. Ленина"), QStringLiteral("ул. Советская"), QStringLiteral("Ленинградское шоссе"),
                 QStringLiteral("ул. Мира")};
    w.Users = {QStringLiteral("admin"), QStringLiteral("petrova"), QStringLiteral("operator")};
    w.LogChanges = {QStringLiteral("Создан титул"), QStringLiteral("Изменена протяженность"),
                    QStringLiteral("Уточнена организация-заказчик"), QStringLiteral("Добавлены объекты по паспорту")};
    w.PhotoCaptions = {QStringLiteral("Общий вид"), QStringLiteral("Вид сверху, с линейкой"),
                       QStringLiteral("Фрагмент крупным планом")};
    return w;
}

const TSampleWords& SampleWords() {
    static const TSampleWords words = BuildWords();
    return words;
}

QByteArray SamplePicture(TSampleRandom& random, int minSize, int maxSize) {
    QByteArray bytes("\x89PNG\r\n\x1a\n", 8);
    const int size = random.Between(minSize, maxSize);
    bytes.reserve(size);
    while (bytes.size() < size) bytes.append(static_cast<char>(random.Next() & 0xFF));
    return bytes;
}
