-- The tables of qorvane.db, in the engine's own dialect.
--
-- Storage forms the program relies on:
--   keys and references  CHAR(38)     '{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}', made by the program
--   texts                VARCHAR(n)   n is the field size the program declares
--   memos                MEMO TEXT    long text (the second word keeps the values text:
--                                     a memo "007" stays "007")
--   date-times           DATETIME     REAL days since 30.12.1899, the time as the fraction; NULL = no date
--   numbers              INTEGER      32-bit; SMALLINT only for REF_VOTE_TYPES.id
--   yes/no               BOOLEAN      1 or 0
--
-- Every table with an `id` is an ordinary rowid table (the recordsets update
-- rows by rowid); `id` is its primary key. The references are indexed: the
-- record rules look rows up by them.
--
-- No relation refuses a change, with one exception: a question that a draft
-- decision still refers to cannot be deleted (the questions register tells
-- the user so). Everything else that refers to a deleted row stays as it is.

CREATE TABLE REF_MEMBERS (
  id           CHAR(38) NOT NULL PRIMARY KEY,
  fullname     VARCHAR(255),
  birthday     DATETIME,
  address      VARCHAR(255),
  passport     VARCHAR(255),
  education    VARCHAR(255),
  share        VARCHAR(100),
  postaddress  VARCHAR(250),
  workphone    VARCHAR(50),
  workfax      VARCHAR(50),
  email        VARCHAR(250),
  paymentinfo  MEMO TEXT,
  inn          VARCHAR(30),
  pensionnum   VARCHAR(50),
  date         DATETIME,
  enabled      BOOLEAN DEFAULT 0
);

CREATE TABLE REF_POSTS (
  id           CHAR(38) NOT NULL PRIMARY KEY,
  id_member    CHAR(38),
  postname     VARCHAR(100),
  orgname      VARCHAR(100),
  orgaddress   VARCHAR(250),
  startdate    DATETIME,
  enddate      DATETIME
);
CREATE INDEX REF_POSTS_id_member ON REF_POSTS (id_member);

CREATE TABLE REF_OTHER_MANAGEMENT (
  id           CHAR(38) NOT NULL PRIMARY KEY,
  id_member    CHAR(38),
  post         VARCHAR(100),
  orgname      VARCHAR(100),
  startdate    DATETIME
);
CREATE INDEX REF_OTHER_MANAGEMENT_id_member ON REF_OTHER_MANAGEMENT (id_member);

CREATE TABLE REF_FORMS (
  id           CHAR(38) NOT NULL PRIMARY KEY,
  name         VARCHAR(255),
  comment      MEMO TEXT
);

CREATE TABLE REF_PLACES (
  id           CHAR(38) NOT NULL PRIMARY KEY,
  name         VARCHAR(250)
);

CREATE TABLE REF_VOTE_TYPES (
  id           SMALLINT NOT NULL PRIMARY KEY,
  name         VARCHAR(50)
);

CREATE TABLE OBJ_SESSIONS (
  id           CHAR(38) NOT NULL PRIMARY KEY,
  id_place     CHAR(38),
  id_form      CHAR(38),
  pnumber      INTEGER,
  pdate        DATETIME,
  fcomment     MEMO TEXT,
  mcomment     MEMO TEXT,
  signpost1    VARCHAR(255),
  signname1    VARCHAR(255),
  signpost2    VARCHAR(255),
  signname2    VARCHAR(255),
  memberscount INTEGER
);
CREATE INDEX OBJ_SESSIONS_pnumber ON OBJ_SESSIONS (pnumber);
CREATE INDEX OBJ_SESSIONS_id_place ON OBJ_SESSIONS (id_place);
CREATE INDEX OBJ_SESSIONS_id_form ON OBJ_SESSIONS (id_form);

CREATE TABLE OBJ_QUESTIONS (
  id           CHAR(38) NOT NULL PRIMARY KEY,
  date         DATETIME,
  question     MEMO TEXT,
  information  MEMO TEXT
);

CREATE TABLE OBJ_DECISIONS (
  id           CHAR(38) NOT NULL PRIMARY KEY,
  id_question  CHAR(38),
  description  MEMO TEXT
);
CREATE INDEX OBJ_DECISIONS_id_question ON OBJ_DECISIONS (id_question);

CREATE TABLE OBJ_PAYMENTS (
  id           CHAR(38) NOT NULL PRIMARY KEY,
  id_session   CHAR(38),
  id_member    CHAR(38),
  paymentdate  DATETIME,
  suma         INTEGER,
  reglament    MEMO TEXT,
  signpost     VARCHAR(255),
  signname     VARCHAR(255)
);
CREATE INDEX OBJ_PAYMENTS_id_session ON OBJ_PAYMENTS (id_session, id_member);
CREATE INDEX OBJ_PAYMENTS_id_member ON OBJ_PAYMENTS (id_member);

CREATE TABLE LNK_SESSIONS_MEMBERS (
  id           CHAR(38) NOT NULL PRIMARY KEY,
  id_session   CHAR(38),
  id_member    CHAR(38)
);
CREATE INDEX LNK_SESSIONS_MEMBERS_id_session ON LNK_SESSIONS_MEMBERS (id_session, id_member);
CREATE INDEX LNK_SESSIONS_MEMBERS_id_member ON LNK_SESSIONS_MEMBERS (id_member);

CREATE TABLE LNK_SESSIONS_DECISIONS (
  id           CHAR(38) NOT NULL PRIMARY KEY,
  id_session   CHAR(38),
  id_decision  CHAR(38)
);
CREATE INDEX LNK_SESSIONS_DECISIONS_id_session ON LNK_SESSIONS_DECISIONS (id_session);
CREATE INDEX LNK_SESSIONS_DECISIONS_id_decision ON LNK_SESSIONS_DECISIONS (id_decision);

CREATE TABLE LNK_DECISIONS_MEMBERS (
  id           CHAR(38) NOT NULL PRIMARY KEY,
  id_decision  CHAR(38),
  id_member    CHAR(38),
  vote         INTEGER DEFAULT 0
);
CREATE INDEX LNK_DECISIONS_MEMBERS_id_member ON LNK_DECISIONS_MEMBERS (id_member, id_decision);
CREATE INDEX LNK_DECISIONS_MEMBERS_id_decision ON LNK_DECISIONS_MEMBERS (id_decision);

-- System parameters: read by name, written by ord; both are unique. The
-- value is a plain text column (a field of text, not a memo, for every
-- reader), wide enough for any multi-line value of the parameters dialog.
CREATE TABLE SYS_PARAMETERS (
  name         VARCHAR(50) NOT NULL UNIQUE,
  val          VARCHAR(4000),
  ord          INTEGER NOT NULL UNIQUE,
  category     VARCHAR(100),
  type         VARCHAR(20),
  caption      VARCHAR(255)
);

-- A question that draft decisions refer to stays.
CREATE TRIGGER OBJ_QUESTIONS_keep_referenced
BEFORE DELETE ON OBJ_QUESTIONS
WHEN EXISTS (SELECT 1 FROM OBJ_DECISIONS WHERE id_question = OLD.id)
BEGIN
  SELECT RAISE(ABORT, 'Вопрос нельзя удалить: на него ссылаются проекты решений');
END;
