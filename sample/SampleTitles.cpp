// The road titles of a sample database and every row that depends on them.

#include "sample/SampleContent.h"
#include "sample/SampleRandom.h"
#include "sample/SampleWriter.h"
#include "sample/SampleWriting.h"

#include <QDate>
#include <QDateTime>
#include <QStringList>
#include <memory>

namespace {

QVariant Null() { return QVariant(); }

// The next key of every table; keys are written explicitly so that they do not depend on
// the engine.
struct TNextKeys {
    int Title = 0, Section = 0, Object = 0, Sign = 0, Measurement = 0, Event = 0, Defect = 0, Photo = 0, Repair = 0,
        Act = 0, Building = 0, Accident = 0, Vehicle = 0, Participant = 0, Calculation = 0;
};

struct TSection {
    int Key;
    double KmFrom, KmTo;
};

// One writer per table, made once for the whole database.
struct TWriters {
    explicit TWriters(TADOConnection& c)
        : Title(c, QStringLiteral("Титул"),
                {QStringLiteral("Код_титула"), QStringLiteral("Наименование"), QStringLiteral("Код_региона"),
                 QStringLiteral("Код_организации"), QStringLiteral("Протяженность_км"), QStringLiteral("Дата_ввода"),
                 QStringLiteral("Примечание")}),
          Log(c, QStringLiteral("Журнал_изменений_титула"),
              {QStringLiteral("Код_титула"), QStringLiteral("Дата"), QStringLiteral("Пользователь"),
               QStringLiteral("Изменение")}),
          Section(c, QStringLiteral("Межузловой_участок"),
                  {QStringLiteral("Код_участка"), QStringLiteral("Код_титула"), QStringLiteral("Наименование"),
                   QStringLiteral("Км_начала"), QStringLiteral("Км_конца")}),
          Object(c, QStringLiteral("Дорожный_объект"),
                 {QStringLiteral("Код_объекта"), QStringLiteral("Код_титула"), QStringLiteral("Код_участка"),
                  QStringLiteral("Код_родительского_объекта"), QStringLiteral("Наименование"), QStringLiteral("Км"),
                  QStringLiteral("Код_покрытия"), QStringLiteral("Код_населенного_пункта"), QStringLiteral("Схема")}),
          Sign(c, QStringLiteral("Знак"),
               {QStringLiteral("Код_знака"), QStringLiteral("Код_объекта"), QStringLiteral("Код_типа_знака"),
                QStringLiteral("Км"), QStringLiteral("Сторона")}),
          Measurement(c, QStringLiteral("Измерение"),
                      {QStringLiteral("Код_измерения"), QStringLiteral("Код_объекта"), QStringLiteral("Код_участка"),
                       QStringLiteral("Код_единицы"), QStringLiteral("Значение"), QStringLiteral("Дата")}),
          Event(c, QStringLiteral("Событие"),
                {QStringLiteral("Код_события"), QStringLiteral("Код_титула"), QStringLiteral("Код_типа_события"),
                 QStringLiteral("Дата"), QStringLiteral("Км"), QStringLiteral("Код_организации"),
                 QStringLiteral("Примечание")}),
          Defect(c, QStringLiteral("Дефект"),
                 {QStringLiteral("Код_дефекта"), QStringLiteral("Код_события_обнаружения"),
                  QStringLiteral("Код_события_устранения"), QStringLiteral("Код_типа_дефекта"), QStringLiteral("Км"),
                  QStringLiteral("Описание"), QStringLiteral("Степень")}),
          Photo(c, QStringLiteral("Фото_дефекта"),
                {QStringLiteral("Код_фото"), QStringLiteral("Код_дефекта"), QStringLiteral("Снимок"),
                 QStringLiteral("Подпись"), QStringLiteral("Дата_съемки")}),
          Repair(c, QStringLiteral("Ремонт"),
                 {QStringLiteral("Код_ремонта"), QStringLiteral("Код_события"), QStringLiteral("Код_акта_основания"),
                  QStringLiteral("Стоимость_руб"), QStringLiteral("Описание_работ")}),
          Act(c, QStringLiteral("Акт_приемки"),
              {QStringLiteral("Код_акта"), QStringLiteral("Код_ремонта"), QStringLiteral("Номер"), QStringLiteral("Дата"),
               QStringLiteral("Скан")}),
          Building(c, QStringLiteral("Building"),
                   {QStringLiteral("Код_здания"), QStringLiteral("Код_объекта"), QStringLiteral("Код_населенного_пункта"),
                    QStringLiteral("Адрес"), QStringLiteral("Этажность")}),
          Accident(c, QStringLiteral("ДТП"),
                   {QStringLiteral("Код_ДТП"), QStringLiteral("Код_титула"), QStringLiteral("Дата"), QStringLiteral("Км"),
                    QStringLiteral("Описание")}),
          Vehicle(c, QStringLiteral("Транспортное_средство"),
                  {QStringLiteral("Код_ТС"), QStringLiteral("Код_ДТП"), QStringLiteral("Марка"), QStringLiteral("Госномер")}),
          Participant(c, QStringLiteral("Участники_ДТП"),
                      {QStringLiteral("Код_участника"), QStringLiteral("Код_ДТП"), QStringLiteral("Код_ТС"),
                       QStringLiteral("ФИО"), QStringLiteral("Роль")}),
          Calculation(c, QStringLiteral("Расчетные_объекты"),
                      {QStringLiteral("Код_расчетного_объекта"), QStringLiteral("Код_титула"), QStringLiteral("Код_объекта"),
                       QStringLiteral("Параметры")}) {}

    TRowWriter Title, Log, Section, Object, Sign, Measurement, Event, Defect, Photo, Repair, Act, Building, Accident,
        Vehicle, Participant, Calculation;
};

class TTitleWriter {
public:
    TTitleWriter(TADOConnection& connection, const TDictionaryKeys& dictionaries, TSampleRandom& random)
        : W(connection), Dict(dictionaries), Random(random), Words(SampleWords()) {}

    void WriteTitle(int number, int rows);

private:
    QVariant DictionaryKey(const QString& table) {
        return Dict.Key(table, Random.Below(Dict.RowCount(table)));
    }
    QVariant MaybeDictionaryKey(const QString& table, int nullPercent) {
        return Random.Chance(nullPercent) ? Null() : DictionaryKey(table);
    }
    QString Date(int fromYear, int toYear) {
        const QDate date = QDate(fromYear, 1, 1).addDays(Random.Below(365 * (toYear - fromYear + 1)));
        const QDateTime when(date, QTime(Random.Between(8, 17), Random.Below(4) * 15));
        return when.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    }
    double Km(double from, double to) {
        return from + (to - from) * Random.Below(1000) / 1000.0;
    }
    static double Round3(double km) { return qRound(km * 1000.0) / 1000.0; }

    QVector<TSection> WriteSections(int title, double kmFrom, double kmTo, int rows);
    QVector<int> WriteObjects(int title, const QVector<TSection>& sections, int rows);
    void WriteEvents(int title, double kmFrom, double kmTo, int rows);
    void WriteInspection(int event, const QVariant& mendingEvent, double kmFrom, double kmTo);
    void WriteWorks(int event);
    void WriteExcluded(int title, const QVector<int>& objects, double kmFrom, double kmTo);

    TWriters W;
    const TDictionaryKeys& Dict;
    TSampleRandom& Random;
    const TSampleWords& Words;
    TNextKeys Next;
};

void TTitleWriter::WriteTitle(int number, int rows) {
    const int title = ++Next.Title;
    const QString& road = Words.Roads[(number - 1) % Words.Roads.size()];
    const double kmFrom = 10.0 * Random.Between(1, 60);
    const double kmTo = kmFrom + Random.Between(15, 80);
    const QString name = road + QStringLiteral(", участок № ") + QString::number(number);
    const QString entered = Date(1998, 2012);
    W.Title.Write({title, name, DictionaryKey(QStringLiteral("Регион")), MaybeDictionaryKey(QStringLiteral("Организация"), 10),
                   kmTo - kmFrom, entered,
                   QStringLiteral("Паспорт автомобильной дороги от %1.\nУчасток км %2 – км %3.")
                       .arg(entered.left(10))
                       .arg(kmFrom)
                       .arg(kmTo)});
    W.Log.Write({title, entered, Random.Pick(Words.Users), Words.LogChanges[0]});
    W.Log.Write({title, Date(2013, 2022), Random.Pick(Words.Users), Random.Pick(Words.LogChanges)});

    const QVector<TSection> sections = WriteSections(title, kmFrom, kmTo, rows);
    const QVector<int> objects = WriteObjects(title, sections, rows);
    WriteEvents(title, kmFrom, kmTo, rows);
    WriteExcluded(title, objects, kmFrom, kmTo);
}

QVector<TSection> TTitleWriter::WriteSections(int title, double kmFrom, double kmTo, int rows) {
    QVector<TSection> sections;
    const double step = (kmTo - kmFrom) / rows;
    int end = Random.Below(static_cast<int>(Words.SectionEnds.size()));
    for (int i = 0; i < rows; ++i) {
        const TSection section{++Next.Section, Round3(kmFrom + step * i), Round3(kmFrom + step * (i + 1))};
        const QString& from = Words.SectionEnds[end % Words.SectionEnds.size()];
        const QString& to = Words.SectionEnds[(end + 1) % Words.SectionEnds.size()];
        ++end;
        W.Section.Write({section.Key, title, QStringLiteral("%1 – %2").arg(from, to), section.KmFrom, section.KmTo});
        sections << section;
    }
    return sections;
}

QVector<int> TTitleWriter::WriteObjects(int title, const QVector<TSection>& sections, int rows) {
    QVector<int> objects;
    QStringList names;
    for (int i = 0; i < rows; ++i) {
        const int object = ++Next.Object;
        const TSection& section = sections[i];
        // The last object names a section that no longer exists, the second none at all.
        QVariant sectionKey = section.Key;
        if (rows >= 2 && i == rows - 1) sectionKey = 900000 + title * 100 + i;
        else if (rows >= 3 && i == 1) sectionKey = Null();
        // Every odd object is a part of the one before it.
        QVariant parent = Null();
        QString name;
        if (i % 2 == 1) {
            parent = objects[i - 1];
            name = QStringLiteral("Барьерное ограждение: ") + names[i - 1];
        } else {
            name = Random.Pick(Words.ObjectKinds);
            if (name.endsWith(QLatin1Char(' '))) name += Random.Pick(Words.Rivers);
        }
        const QVariant scheme = Random.Chance(50) ? QVariant(SamplePicture(Random, 300, 2000)) : Null();
        W.Object.Write({object, title, sectionKey, parent, name, Round3(Km(section.KmFrom, section.KmTo)),
                        MaybeDictionaryKey(QStringLiteral("Справочник_покрытий"), 20),
                        MaybeDictionaryKey(QStringLiteral("Населенный_пункт"), 40), scheme});
        objects << object;
        names << name;

        const int signs = Random.Between(1, 2);
        for (int s = 0; s < signs; ++s)
            W.Sign.Write({++Next.Sign, object, DictionaryKey(QStringLiteral("Справочник_типов_знаков")),
                          Round3(Km(section.KmFrom, section.KmTo)),
                          Random.Chance(50) ? QStringLiteral("справа") : QStringLiteral("слева")});
        W.Measurement.Write({++Next.Measurement, object, section.Key,
                             MaybeDictionaryKey(QStringLiteral("Справочник_единиц_измерения"), 20),
                             Random.Between(1, 4000) / 100.0, Random.Chance(20) ? Null() : QVariant(Date(2016, 2023))});
    }
    return objects;
}

void TTitleWriter::WriteEvents(int title, double kmFrom, double kmTo, int rows) {
    // Inspections (even) find defects; the works that follow (odd) mend the first of them.
    const int firstEvent = Next.Event + 1;
    for (int i = 0; i < rows; ++i) {
        const int event = ++Next.Event;
        const int type = 2 * Random.Below(3) + (i % 2);
        const QString date = QDate(2016, 3, 1).addDays(40 * i + Random.Below(30)).toString(Qt::ISODate) +
                             QStringLiteral(" 10:00:00");
        W.Event.Write({event, title, Dict.Key(QStringLiteral("Справочник_типов_событий"), type), date,
                       Random.Chance(30) ? Null() : QVariant(Round3(Km(kmFrom, kmTo))),
                       MaybeDictionaryKey(QStringLiteral("Организация"), 20),
                       Random.Chance(25) ? Null() : QVariant(Random.Pick(Words.EventNotes))});
    }
    for (int i = 0; i < rows; ++i) {
        const int event = firstEvent + i;
        if (i % 2 == 0)
            WriteInspection(event, i + 1 < rows ? QVariant(event + 1) : Null(), kmFrom, kmTo);
        else
            WriteWorks(event);
    }
}

void TTitleWriter::WriteInspection(int event, const QVariant& mendingEvent, double kmFrom, double kmTo) {
    const QString defectTypes = QStringLiteral("Справочник_типов_дефектов");
    for (int d = 0; d < 2; ++d) {
        const int defect = ++Next.Defect;
        const int type = Random.Below(Dict.RowCount(defectTypes));
        const QString description =
            SampleDictionary(defectTypes).Rows[type][0].toString() + QLatin1Char(' ') + Random.Pick(Words.DefectPlaces);
        W.Defect.Write({defect, event, d == 0 ? mendingEvent : Null(), Dict.Key(defectTypes, type),
                        Round3(Km(kmFrom, kmTo)), description, Random.Between(1, 3)});
        const int photos = d == 0 ? 1 : 2 * Random.Below(2);
        for (int p = 0; p < photos; ++p)
            W.Photo.Write({++Next.Photo, defect, SamplePicture(Random, 500, 3000), Random.Pick(Words.PhotoCaptions),
                           Date(2016, 2023)});
    }
}

void TTitleWriter::WriteWorks(int event) {
    // A repair, its act, then a warranty repair based on that act, and its own act.
    const int repair = ++Next.Repair;
    W.Repair.Write({repair, event, Null(), Random.Between(50, 5000) * 1000.0, Random.Pick(Words.RepairWorks)});
    const int act = ++Next.Act;
    W.Act.Write({act, repair, QStringLiteral("А-%1").arg(act, 4, 10, QLatin1Char('0')), Date(2016, 2023),
                 Random.Chance(50) ? QVariant(SamplePicture(Random, 800, 4000)) : Null()});
    const int warranty = ++Next.Repair;
    W.Repair.Write({warranty, event, act, Null(),
                    QStringLiteral("Гарантийный ремонт по акту № А-%1.").arg(act, 4, 10, QLatin1Char('0'))});
    const int warrantyAct = ++Next.Act;
    W.Act.Write({warrantyAct, warranty, QStringLiteral("А-%1").arg(warrantyAct, 4, 10, QLatin1Char('0')), Null(), Null()});
}

void TTitleWriter::WriteExcluded(int title, const QVector<int>& objects, double kmFrom, double kmTo) {
    W.Building.Write({++Next.Building, objects[0], MaybeDictionaryKey(QStringLiteral("Населенный_пункт"), 30),
                      Random.Pick(Words.Streets) + QStringLiteral(", д. ") + QString::number(Random.Between(1, 60)),
                      Random.Between(1, 3)});
    const int accident = ++Next.Accident;
    W.Accident.Write({accident, title, Date(2017, 2023), Round3(Km(kmFrom, kmTo)), Random.Pick(Words.AccidentKinds)});
    const int first = ++Next.Vehicle;
    W.Vehicle.Write({first, accident, Random.Pick(Words.CarMakes), QStringLiteral("А%1ВС69").arg(Random.Between(100, 999))});
    const int second = ++Next.Vehicle;
    W.Vehicle.Write({second, accident, Random.Pick(Words.CarMakes), QStringLiteral("К%1МО77").arg(Random.Between(100, 999))});
    W.Participant.Write({++Next.Participant, accident, first, Random.Pick(Words.People), Words.Roles[0]});
    W.Participant.Write({++Next.Participant, accident, second, Random.Pick(Words.People), Words.Roles[0]});
    W.Participant.Write({++Next.Participant, accident, Null(), Random.Pick(Words.People), Random.Pick(Words.Roles)});
    W.Calculation.Write({++Next.Calculation, title, objects[0],
                         QStringLiteral("Интенсивность движения %1 авт./сут.\nДоля грузовых %2 %.")
                             .arg(Random.Between(2000, 40000))
                             .arg(Random.Between(5, 40))});
}

}  // namespace

void WriteTitles(TADOConnection& connection, const TDictionaryKeys& dictionaries, int titles, int rowsPerTitle,
                 int firstTitleNumber, TSampleRandom& random) {
    if (titles <= 0) return;
    TTitleWriter writer(connection, dictionaries, random);
    for (int t = 0; t < titles; ++t) writer.WriteTitle(firstTitleNumber + t, rowsPerTitle);
}
