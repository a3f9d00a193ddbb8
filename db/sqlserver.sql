-- The central tables of the Quarrix upload, for SQL Server.
-- One assessment at a time: each upload empties these tables and fills them
-- again (Assessment keeps a single row, overwritten). Text columns are at
-- least as wide as the store fields they come from; memo fields and lines of
-- line lists have no limit.

CREATE TABLE Test (
    Test_Value nvarchar(16)
);

CREATE TABLE Assessment (
    Assessment_ID          nvarchar(32),
    Assessment_Title       nvarchar(64),
    Assessment_Description nvarchar(max)
);

CREATE TABLE Division (
    Division_Name nvarchar(max)
);

CREATE TABLE DivGroup (
    Group_Name     nvarchar(max),
    Group_Sequence int
);

CREATE TABLE Requirement (
    Requirement_Id          nvarchar(8),
    Requirement_Description nvarchar(80),
    Requirement_Division    nvarchar(64),
    Requirement_Priority    nvarchar(8),
    Requirement_Source      nvarchar(max),
    Requirement_Activity    nvarchar(32)
);

-- Requirement_Id holds the whole requirement line of the driver:
-- identifier, ": " and the requirement text.
CREATE TABLE ReqAtt (
    Requirement_Id nvarchar(max),
    Driver_Id      nvarchar(8)
);

CREATE TABLE Driver (
    Driver_Id          nvarchar(8),
    Driver_Description nvarchar(80),
    Driver_Division    nvarchar(64),
    Driver_Activity    nvarchar(32),
    Group_Name         nvarchar(32)
);

CREATE TABLE DrAtt (
    Driver_Id      nvarchar(8),
    Attribute_Id   nvarchar(16),
    DrAtt_Priority nvarchar(5)
);

CREATE TABLE Attribute (
    Attribute_Id          nvarchar(16),
    Attribute_Grouped     nvarchar(18),
    Attribute_Description nvarchar(max),
    Attribute_InUse       bit,
    Attribute_Impact      nvarchar(8),
    Group_Name            nvarchar(32)
);

CREATE TABLE AttCon (
    Attribute_Id nvarchar(16),
    Control_Id   nvarchar(8)
);

-- Which controls each driver needs: one row per driver, attribute in use it
-- carries (profiled, or reached from a profiled business attribute) and
-- control identifier of that attribute. Optional: an upload to a database
-- without it skips it with a note and writes the others.
CREATE TABLE DrvCon (
    Driver_Id    nvarchar(8),
    Attribute_Id nvarchar(16),
    Control_Id   nvarchar(max)
);

CREATE TABLE Control (
    Control_Id          nvarchar(8),
    Control_AltId       nvarchar(8),
    Control_Name        nvarchar(64),
    Control_Description nvarchar(max),
    ControlObj_Name     nvarchar(64)
);

CREATE TABLE CObjective (
    ControlObj_Name        nvarchar(64),
    ControlObj_Description nvarchar(max)
);
