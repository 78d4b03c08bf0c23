-- Sample road-inventory schema (the tables of OrvaneInfo/Road that the title import meets).
-- Written with SQL Server type names; identity keys are "integer primary key" so that SQLite
-- assigns them. Statements end with a semicolon; the generator runs them one by one.

-- Territorial tables.
CREATE TABLE Регион (
    Код_региона integer primary key,
    Наименование varchar(100) NOT NULL,
    Код_ОКАТО varchar(11) NULL
);

CREATE TABLE Район (
    Код_района integer primary key,
    Наименование varchar(100) NOT NULL,
    Код_региона int NOT NULL REFERENCES Регион (Код_региона)
);

CREATE TABLE Населенный_пункт (
    Код_населенного_пункта integer primary key,
    Наименование varchar(100) NOT NULL,
    Код_района int NOT NULL CONSTRAINT FK_Населенный_пункт_Район REFERENCES Район (Код_района)
        ON DELETE NO ACTION ON UPDATE NO ACTION,
    Численность int NULL
);

CREATE TABLE Организация (
    Код_организации integer primary key,
    Наименование varchar(200) NOT NULL,
    ИНН varchar(12) NULL,
    Адрес varchar(255) NULL
);

-- Dictionaries matched by their natural columns.
CREATE TABLE Справочник_типов_событий (
    Код_типа_события integer primary key,
    Описание varchar(200) NOT NULL,
    Код_типа_объекта int NULL,
    Код_подтипа_объекта int NULL
);

CREATE TABLE Справочник_типов_дефектов (
    Код_типа_дефекта integer primary key,
    Описание varchar(200) NOT NULL,
    Код_типа_объекта int NULL,
    Код_подтипа_объекта int NULL,
    Критичность int NULL
);

CREATE TABLE Справочник_типов_знаков (
    Код_типа_знака integer primary key,
    Номер_по_ГОСТу varchar(20) NOT NULL,
    Наименование varchar(200) NOT NULL,
    Изображение image NULL
);

-- Dictionaries matched by "Описание".
CREATE TABLE Справочник_покрытий (
    Код_покрытия integer primary key,
    Описание varchar(100) NOT NULL,
    Срок_службы_лет int NULL
);

CREATE TABLE Справочник_единиц_измерения (
    Код_единицы integer primary key,
    Описание varchar(50) NOT NULL,
    Обозначение varchar(10) NULL
);

-- Road titles and what belongs to them.
CREATE TABLE Титул (
    Код_титула integer primary key,
    Наименование varchar(255) NOT NULL,
    Код_региона int NULL REFERENCES Регион (Код_региона),
    Код_организации int NULL REFERENCES Организация (Код_организации),
    Протяженность_км float NULL,
    Дата_ввода datetime NULL,
    Примечание text NULL
);

-- A change log without a primary key: the import cannot select its rows.
CREATE TABLE Журнал_изменений_титула (
    Код_титула int NOT NULL REFERENCES Титул (Код_титула),
    Дата datetime NOT NULL,
    Пользователь varchar(50) NULL,
    Изменение text NULL
);

CREATE TABLE Межузловой_участок (
    Код_участка integer primary key,
    Код_титула int NOT NULL REFERENCES Титул (Код_титула),
    Наименование varchar(255) NOT NULL,
    Км_начала float NOT NULL,
    Км_конца float NOT NULL
);

CREATE TABLE Дорожный_объект (
    Код_объекта integer primary key,
    Код_титула int NOT NULL,
    -- Код_участка names a row of Межузловой_участок, but the schema has no foreign key for it
    Код_участка int NULL,
    Код_родительского_объекта int NULL,
    Наименование varchar(255) NOT NULL,
    Км float NULL,
    Код_покрытия int NULL,
    Код_населенного_пункта int NULL,
    Схема image NULL,
    CONSTRAINT FK_Дорожный_объект_Титул FOREIGN KEY (Код_титула) REFERENCES Титул (Код_титула),
    FOREIGN KEY (Код_родительского_объекта) REFERENCES Дорожный_объект (Код_объекта),
    FOREIGN KEY (Код_покрытия) REFERENCES Справочник_покрытий (Код_покрытия),
    /* the settlement the object stands in */
    FOREIGN KEY (Код_населенного_пункта) REFERENCES Населенный_пункт (Код_населенного_пункта)
);

CREATE INDEX IX_Дорожный_объект_Участок ON Дорожный_объект (Код_участка);

CREATE TRIGGER TR_Дорожный_объект_Км BEFORE INSERT ON Дорожный_объект
WHEN NEW.Км < 0
BEGIN
    SELECT RAISE(ABORT, 'Километр объекта не может быть отрицательным');
END;

CREATE TABLE Знак (
    Код_знака integer primary key,
    Код_объекта int NOT NULL REFERENCES Дорожный_объект (Код_объекта),
    Код_типа_знака int NOT NULL REFERENCES Справочник_типов_знаков (Код_типа_знака),
    Км float NOT NULL,
    Сторона varchar(10) NOT NULL
);

-- Refers to two tables of a title: a road object and an inter-node section.
CREATE TABLE Измерение (
    Код_измерения integer primary key,
    Код_объекта int NOT NULL REFERENCES Дорожный_объект (Код_объекта),
    Код_участка int NOT NULL REFERENCES Межузловой_участок (Код_участка),
    Код_единицы int NULL REFERENCES Справочник_единиц_измерения (Код_единицы),
    Значение float NOT NULL,
    Дата datetime NULL
);

CREATE TABLE Событие (
    Код_события integer primary key,
    Код_титула int NOT NULL REFERENCES Титул (Код_титула),
    Код_типа_события int NOT NULL REFERENCES Справочник_типов_событий (Код_типа_события),
    Дата datetime NOT NULL,
    Км float NULL,
    Код_организации int NULL REFERENCES Организация (Код_организации),
    Примечание text NULL
);

CREATE TABLE Дефект (
    Код_дефекта integer primary key,
    Код_события_обнаружения int NOT NULL REFERENCES Событие (Код_события),
    Код_события_устранения int NULL REFERENCES Событие (Код_события),
    Код_типа_дефекта int NOT NULL REFERENCES Справочник_типов_дефектов (Код_типа_дефекта),
    Км float NULL,
    Описание varchar(255) NULL,
    Степень int NULL
);

CREATE TABLE Фото_дефекта (
    Код_фото integer primary key,
    Код_дефекта int NOT NULL REFERENCES Дефект (Код_дефекта),
    Снимок image NULL,
    Подпись varchar(255) NULL,
    Дата_съемки datetime NULL
);

-- A repair and its acceptance act refer to each other: a warranty repair names the act of
-- the earlier repair it redoes (nullable), and every act names its repair.
CREATE TABLE Ремонт (
    Код_ремонта integer primary key,
    Код_события int NOT NULL REFERENCES Событие (Код_события),
    Код_акта_основания int NULL REFERENCES Акт_приемки (Код_акта),
    Стоимость_руб float NULL,
    Описание_работ text NULL
);

CREATE TABLE Акт_приемки (
    Код_акта integer primary key,
    Код_ремонта int NOT NULL REFERENCES Ремонт (Код_ремонта),
    Номер varchar(20) NOT NULL,
    Дата datetime NULL,
    Скан image NULL
);

-- The tables that the title import never copies.
CREATE TABLE Building (
    Код_здания integer primary key,
    Код_объекта int NOT NULL REFERENCES Дорожный_объект (Код_объекта),
    Код_населенного_пункта int NULL REFERENCES Населенный_пункт (Код_населенного_пункта),
    Адрес varchar(255) NULL,
    Этажность int NULL
);

CREATE TABLE ДТП (
    Код_ДТП integer primary key,
    Код_титула int NOT NULL REFERENCES Титул (Код_титула),
    Дата datetime NOT NULL,
    Км float NULL,
    Описание text NULL
);

CREATE TABLE Транспортное_средство (
    Код_ТС integer primary key,
    Код_ДТП int NOT NULL REFERENCES ДТП (Код_ДТП),
    Марка varchar(100) NULL,
    Госномер varchar(20) NULL
);

CREATE TABLE Участники_ДТП (
    Код_участника integer primary key,
    Код_ДТП int NOT NULL REFERENCES ДТП (Код_ДТП),
    Код_ТС int NULL REFERENCES Транспортное_средство (Код_ТС),
    ФИО varchar(150) NOT NULL,
    Роль varchar(50) NULL
);

CREATE TABLE Расчетные_объекты (
    Код_расчетного_объекта integer primary key,
    Код_титула int NOT NULL REFERENCES Титул (Код_титула),
    Код_объекта int NULL REFERENCES Дорожный_объект (Код_объекта),
    Параметры text NULL
);
