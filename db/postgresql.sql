-- The central tables of the Quarrix upload, for PostgreSQL.
-- One assessment at a time: each upload empties these tables and fills them
-- again (Assessment keeps a single row, overwritten). Text columns are at
-- least as wide as the store fields they come from; memo fields and lines of
-- line lists have no limit.

CREATE TABLE Test (
    Test_Value varchar(16)
);

CREATE TABLE Assessment (
    Assessment_ID          varchar(32),
    Assessment_Title       varchar(64),
    Assessment_Description text
);

CREATE TABLE Division (
    Division_Name text
);

CREATE TABLE DivGroup (
    Group_Name     text,
    Group_Sequence integer
);

CREATE TABLE Requirement (
    Requirement_Id          varchar(8),
    Requirement_Description varchar(80),
    Requirement_Division    varchar(64),
    Requirement_Priority    varchar(8),
    Requirement_Source      text,
    Requirement_Activity    varchar(32)
);

-- Requirement_Id holds the whole requirement line of the driver:
-- identifier, ": " and the requirement text.
CREATE TABLE ReqAtt (
    Requirement_Id text,
    Driver_Id      varchar(8)
);

CREATE TABLE Driver (
    Driver_Id          varchar(8),
    Driver_Description varchar(80),
    Driver_Division    varchar(64),
    Driver_Activity    varchar(32),
    Group_Name         varchar(32)
);

CREATE TABLE DrAtt (
    Driver_Id      varchar(8),
    Attribute_Id   varchar(16),
    DrAtt_Priority varchar(5)
);

CREATE TABLE Attribute (
    Attribute_Id          varchar(16),
    Attribute_Grouped     varchar(18),
    Attribute_Description text,
    Attribute_InUse       boolean,
    Attribute_Impact      varchar(8),
    Group_Name            varchar(32)
);

CREATE TABLE AttCon (
    Attribute_Id varchar(16),
    Control_Id   varchar(8)
);

-- Which controls each driver needs: one row per driver, attribute in use it
-- carries (profiled, or reached from a profiled business attribute) and
-- control identifier of that attribute. Optional: an upload to a database
-- without it skips it with a note and writes the others.
CREATE TABLE DrvCon (
    Driver_Id    varchar(8),
    Attribute_Id varchar(16),
    Control_Id   text
);

CREATE TABLE Control (
    Control_Id          varchar(8),
    Control_AltId       varchar(8),
    Control_Name        varchar(64),
    Control_Description text,
    ControlObj_Name     varchar(64)
);

CREATE TABLE CObjective (
    ControlObj_Name        varchar(64),
    ControlObj_Description text
);
