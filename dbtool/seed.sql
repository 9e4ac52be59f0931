-- The rows every new qorvane.db starts with.

-- Kinds of vote; 0 is the vote a new vote row gets.
INSERT INTO REF_VOTE_TYPES (id, name) VALUES (0, 'Не голосовал');
INSERT INTO REF_VOTE_TYPES (id, name) VALUES (1, 'За');
INSERT INTO REF_VOTE_TYPES (id, name) VALUES (2, 'Против');
INSERT INTO REF_VOTE_TYPES (id, name) VALUES (3, 'Воздержался');

-- System parameters. The parameters dialog shows one tab per run of equal
-- categories in the order of ord, so each category's rows are consecutive.
-- The organisation fills in its own names; the program reads
-- predsedatel_name, secretar_name, pay_reglament, gen_director and
-- zam_gen_director, the report templates may read all of them.
INSERT INTO SYS_PARAMETERS (ord, category, name, type, caption, val) VALUES
  (1,  'Общество', 'company_name',       'string',       'Полное наименование общества', ''),
  (2,  'Общество', 'company_short_name', 'string',       'Сокращенное наименование общества', ''),
  (3,  'Общество', 'company_address',    'multistring',  'Место нахождения (юридический адрес)', ''),
  (4,  'Общество', 'company_postaddress','multistring',  'Почтовый адрес', ''),
  (5,  'Общество', 'company_phone',      'string',       'Телефон', ''),
  (6,  'Общество', 'company_inn',        'string',       'ИНН / КПП', ''),
  (7,  'Подписи',  'predsedatel_name',   'string',       'Председатель Совета директоров (Ф.И.О.)', ''),
  (8,  'Подписи',  'secretar_name',      'string',       'Секретарь Совета директоров (Ф.И.О.)', ''),
  (9,  'Подписи',  'gen_director',       'string',       'Генеральный директор (Ф.И.О.)', ''),
  (10, 'Подписи',  'zam_gen_director',   'string',       'Заместитель генерального директора (Ф.И.О.)', ''),
  (11, 'Вознаграждения', 'pay_reglament', 'multistring8', 'Порядок выплаты вознаграждения',
       'Вознаграждение выплачивается в течение 30 календарных дней со дня проведения заседания Совета директоров путем перечисления на банковский счет члена Совета директоров, указанный в его реквизитах.'),
  (12, 'Вознаграждения', 'pay_sum',       'integer',      'Размер вознаграждения за участие в заседании, руб.', '0'),
  (13, 'Вознаграждения', 'pay_tax_rate',  'float',        'Ставка налога на доходы физических лиц, %', '13'),
  (14, 'Документы', 'board_name',        'string',       'Наименование органа управления', 'Совет директоров'),
  (15, 'Документы', 'doc_city',          'string',       'Место составления документов (город)', ''),
  (16, 'Документы', 'notice_footer',     'multistring5', 'Текст в конце уведомления о заседании',
       'Просим подтвердить участие в заседании секретарю Совета директоров не позднее чем за 3 дня до даты его проведения.');
