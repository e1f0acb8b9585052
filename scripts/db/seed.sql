-- Demo data: a small Brazilian restaurant. Loaded on top of schema.sql;
-- only catalog, cards, settings and customers, no open comandas.

SET NAMES utf8mb4;

-- Loading again replaces the demo data.
TRUNCATE TABLE `Grupos`;
TRUNCATE TABLE `Produtos`;
TRUNCATE TABLE `Vendedores`;
TRUNCATE TABLE `Cadqtde`;
TRUNCATE TABLE `observacoes`;
TRUNCATE TABLE `cadcomanda`;
TRUNCATE TABLE `sequencias`;
TRUNCATE TABLE `Config`;
TRUNCATE TABLE `Horarios`;
TRUNCATE TABLE `Clientes`;

INSERT INTO `Grupos` (`idgrupo`, `nome`, `Impressora`, `Impressora2`, `Impressoradelivery`) VALUES
  (1, 'Pratos',     'cozinha',      '',    'cozinha'),
  (2, 'Bebidas',    'bar',          '',    'bar'),
  (3, 'Sobremesas', 'cozinha',      'bar', 'cozinha'),
  (4, 'Balcão',     'Não Imprimir', '',    'Não Imprimir'),
  (5, 'Bolos',      'Etiqueta',     '',    'Etiqueta');

INSERT INTO `Produtos` (`codigo`, `descricao`, `descricao2`, `idgrupo`, `preco_v`, `preco_v2`, `ativo`, `Unidade`, `monitorado`, `tempopreparo`, `servico`) VALUES
  (1,  'Feijoada Completa',    'Feijoada',      1, 59.90, 59.90, 'S', 'PT', 1, 25, 0),
  (2,  'Moqueca de Peixe',     NULL,            1, 72.50, 72.50, 'S', 'PT', 1, 35, 0),
  (3,  'Picanha na Chapa',     'Picanha',       1, 89.00, 89.00, 'S', 'PT', 1, 20, 0),
  (4,  'Frango à Passarinho',  NULL,            1, 38.00, 38.00, 'S', 'PT', 0, 15, 0),
  (5,  'Pão de Queijo',        NULL,            1, 12.00, 10.00, 'S', 'PC', 0, 10, 0),
  (10, 'Caipirinha de Limão',  'Caipirinha',    2, 18.00, 12.00, 'S', 'UN', 0, 5,  0),
  (11, 'Suco de Maracujá',     NULL,            2, 9.50,  9.50,  'S', 'UN', 0, 5,  0),
  (12, 'Refrigerante Lata',    NULL,            2, 6.00,  6.00,  'S', 'UN', 0, 0,  0),
  (13, 'Água Mineral',         NULL,            2, 4.50,  4.50,  'S', 'UN', 0, 0,  0),
  (14, 'Chope Pilsen 300ml',   'Chope',         2, 11.00, 7.50,  'S', 'UN', 0, 0,  0),
  (20, 'Pudim de Leite',       NULL,            3, 14.00, 14.00, 'S', 'UN', 0, 0,  0),
  (21, 'Mousse de Maracujá',   NULL,            3, 13.00, 13.00, 'S', 'UN', 0, 0,  0),
  (30, 'Café Expresso',        NULL,            4, 5.00,  5.00,  'S', 'UN', 0, 0,  0),
  (31, 'Couvert Artístico',    NULL,            4, 15.00, 15.00, 'S', 'UN', 0, 0,  1),
  (40, 'Bolo de Cenoura',      'Bolo Cenoura',  5, 9.00,  9.00,  'S', 'FT', 0, 0,  0),
  (41, 'Bolo de Fubá',         NULL,            5, 8.00,  8.00,  'N', 'FT', 0, 0,  0);

INSERT INTO `Vendedores` (`nome`, `senha`, `tipo`) VALUES
  ('João',   '1234', 'GARCON'),
  ('Maria',  '4321', 'GARCON'),
  ('Carlos', '1111', 'GARCON'),
  ('Ana',    '9999', 'CAIXA');

INSERT INTO `Cadqtde` (`codigo`, `Descricao`, `Qtde`) VALUES
  (1,  'Inteira', 1),
  (1,  'Meia',    0.5),
  (2,  'Inteira', 1),
  (2,  'Meia',    0.5),
  (3,  'Inteira', 1),
  (3,  'Meia',    0.5),
  (10, 'Dose',    1),
  (10, 'Jarra',   4);

INSERT INTO `observacoes` (`codigo`, `descricao`, `valor`) VALUES
  (1,  'Sem pimenta',    0),
  (1,  'Farofa extra',   3.50),
  (3,  'Mal passada',    0),
  (3,  'Ao ponto',       0),
  (3,  'Bem passada',    0),
  (10, 'Sem açúcar',     0),
  (10, 'Com adoçante',   0),
  (11, 'Sem gelo',       0);

INSERT INTO `cadcomanda` (`Numero`, `status`, `Ocupado`, `TaxaServico`) VALUES
  (1, 1, 0, 'S'), (2, 1, 0, 'S'), (3, 1, 0, 'S'), (4, 1, 0, 'S'), (5, 1, 0, 'S'),
  (6, 1, 0, 'S'), (7, 1, 0, 'S'), (8, 1, 0, 'S'), (9, 1, 0, 'S'), (10, 1, 0, 'S'),
  (11, 1, 0, 'S'), (12, 1, 0, 'S'), (13, 1, 0, 'S'), (14, 1, 0, 'S'), (15, 1, 0, 'S'),
  (16, 1, 0, 'S'), (17, 1, 0, 'S'), (18, 1, 0, 'S'), (19, 1, 0, 'S'), (20, 1, 0, 'N');

INSERT INTO `sequencias` (`seqcomanda`) VALUES (0);

INSERT INTO `Config` (`Variavel`, `Valor`) VALUES
  ('BloquearReceb',  '1'),
  ('LinhasInicio',   '0'),
  ('GrupoCupom',     '0'),
  ('AutoRecebFinal', '0'),
  ('qtdMinimo',      '0.5'),
  ('AutoImpressao',  '1'),
  ('ImpSeparado',    '0'),
  ('OrdemPedido',    '0');

-- Happy hour on weekdays: preco_v2 applies inside these periods.
INSERT INTO `Horarios` (`horainicial`, `horafinal`, `ativo`, `diaSemana`) VALUES
  ('2012/01/01 17:00:00', '2012/01/01 19:59:59', 1, 'Segunda'),
  ('2012/01/01 17:00:00', '2012/01/01 19:59:59', 1, 'Terça'),
  ('2012/01/01 17:00:00', '2012/01/01 19:59:59', 1, 'Quarta'),
  ('2012/01/01 17:00:00', '2012/01/01 19:59:59', 1, 'Quinta'),
  ('2012/01/01 17:00:00', '2012/01/01 19:59:59', 1, 'Sexta'),
  ('2012/01/01 11:00:00', '2012/01/01 15:00:00', 0, 'Sabado'),
  ('2012/01/01 11:00:00', '2012/01/01 15:00:00', 0, 'Domingo');

INSERT INTO `Clientes` (`codigo`, `Nome`, `Endereco`, `Telefone`, `bairro`, `Veiculos`, `idCond`) VALUES
  (1, 'José da Silva',     'Rua das Acácias, 120',     '(11) 98765-4321', 'Vila Mariana', NULL, NULL),
  (2, 'Fernanda Conceição', 'Av. Paulista, 1500 ap 42', '(11) 91234-5678', 'Bela Vista',   NULL, NULL),
  (3, 'Aniversário Luíza', 'Salão de festas',          '(11) 3333-4444',  'Centro',       '15', 15);
