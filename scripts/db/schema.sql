-- Tables of the Varelo order system that VareloSync reads and writes.
--
-- The order system owns the real database; this copy is built for the private
-- test and demo server. It can be applied again at any time: every table is
-- dropped and created empty.
--
-- Conventions: money and quantities DECIMAL(15,4); flags TINYINT(1) (the
-- statements use true/false and 0/1 alike); date-times DATETIME (written as
-- 'yyyy/mm/dd hh:mm[:ss]'). The server runs with lower_case_table_names=1, so
-- Comanda, comanda and COMANDA name the same table.

SET NAMES utf8mb4;
SET default_storage_engine = InnoDB;

DROP TABLE IF EXISTS `Comanda`;
DROP TABLE IF EXISTS `ItemComanda`;
DROP TABLE IF EXISTS `pagamentos`;
DROP TABLE IF EXISTS `Delivery`;
DROP TABLE IF EXISTS `iDelivery`;
DROP TABLE IF EXISTS `sequencias`;
DROP TABLE IF EXISTS `cadcomanda`;
DROP TABLE IF EXISTS `Produtos`;
DROP TABLE IF EXISTS `Grupos`;
DROP TABLE IF EXISTS `Vendedores`;
DROP TABLE IF EXISTS `Cadqtde`;
DROP TABLE IF EXISTS `observacoes`;
DROP TABLE IF EXISTS `Clientes`;
DROP TABLE IF EXISTS `Config`;
DROP TABLE IF EXISTS `Horarios`;
DROP TABLE IF EXISTS `Logs`;
DROP TABLE IF EXISTS `LogImp`;
DROP TABLE IF EXISTS `mcomanda`;
DROP TABLE IF EXISTS `mitemcomanda`;
DROP TABLE IF EXISTS `mPagamentos`;

-- ---------------------------------------------------------------------------
-- Open business
-- ---------------------------------------------------------------------------

-- One row per open comanda. Status: 0 normal, 1 closing (bill printed),
-- 2 tablet asks for the kitchen tickets, 3 tablet asks for the bill.
-- Desconto, Couvert and Servico hold -1 for "not set" (computed on the bill).
CREATE TABLE `Comanda` (
  `Comanda`    INT           NOT NULL,
  `idlanc`     INT           NOT NULL AUTO_INCREMENT,
  `idpedido`   INT           NULL,
  `idCliente`  INT           NULL DEFAULT 0,
  `Garcon`     VARCHAR(60)   NULL,
  `Ocupantes`  INT           NULL,
  `Desconto`   DECIMAL(15,4) NULL,
  `Inicio`     DATETIME      NULL,
  `Final`      DATETIME      NULL,
  `Valor`      DECIMAL(15,4) NULL DEFAULT 0,
  `ValorPG`    DECIMAL(15,4) NULL DEFAULT 0,
  `Couvert`    DECIMAL(15,4) NULL,
  `Servico`    DECIMAL(15,4) NULL,
  `Mesa`       INT           NULL,
  `Status`     INT           NOT NULL DEFAULT 0,
  `Fechando`   CHAR(1)       NOT NULL DEFAULT 'N',
  `Obs`        VARCHAR(200)  NULL,
  PRIMARY KEY (`Comanda`),
  UNIQUE KEY `uk_comanda_idlanc` (`idlanc`),
  KEY `ix_comanda_mesa` (`Mesa`),
  KEY `ix_comanda_status` (`Status`)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

-- One row per item launched on a comanda. Etiqueta is true once no label is
-- pending for the item (items of the label group start false); impresso is
-- true once the kitchen ticket went out, on the printer in impressora.
CREATE TABLE `ItemComanda` (
  `idlanc`       INT           NOT NULL AUTO_INCREMENT,
  `Comanda`      INT           NOT NULL,
  `idProduto`    INT           NOT NULL,
  `qtde`         DECIMAL(15,4) NOT NULL DEFAULT 0,
  `valor`        DECIMAL(15,4) NOT NULL DEFAULT 0,
  `desconto`     DECIMAL(15,4) NULL DEFAULT 0,
  `custo`        DECIMAL(15,4) NULL DEFAULT 0,
  `Unidade`      VARCHAR(10)   NULL,
  `Obs`          VARCHAR(255)  NULL,
  `Lancado`      VARCHAR(60)   NULL,
  `Status`       VARCHAR(30)   NULL,
  `Descricao2`   VARCHAR(120)  NULL,
  `Tempopreparo` INT           NULL,
  `Etiqueta`     TINYINT(1)    NOT NULL DEFAULT 1,
  `DataHora`     DATETIME      NULL,
  `idmeia`       INT           NULL,
  `impresso`     TINYINT(1)    NOT NULL DEFAULT 0,
  `impressora`   VARCHAR(120)  NULL,
  PRIMARY KEY (`idlanc`),
  KEY `ix_itemcomanda_comanda` (`Comanda`),
  KEY `ix_itemcomanda_impresso` (`impresso`, `DataHora`)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

-- Payments already made on an open comanda.
CREATE TABLE `pagamentos` (
  `idpagamento` INT           NOT NULL AUTO_INCREMENT,
  `Comanda`     INT           NOT NULL,
  `valor`       DECIMAL(15,4) NOT NULL DEFAULT 0,
  `tipo`        VARCHAR(30)   NULL,
  PRIMARY KEY (`idpagamento`),
  KEY `ix_pagamentos_comanda` (`Comanda`)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

-- Delivery orders. Comando above 0 is a print request from another client.
CREATE TABLE `Delivery` (
  `idpedido`   INT          NOT NULL AUTO_INCREMENT,
  `idcliente`  INT          NULL,
  `endereco`   VARCHAR(150) NULL,
  `numero`     VARCHAR(20)  NULL,
  `bairro`     VARCHAR(60)  NULL,
  `cep`        VARCHAR(10)  NULL,
  `cidade`     VARCHAR(60)  NULL,
  `estado`     VARCHAR(2)   NULL,
  `fone`       VARCHAR(30)  NULL,
  `referencia` VARCHAR(150) NULL,
  `Comando`    INT          NOT NULL DEFAULT 0,
  PRIMARY KEY (`idpedido`),
  KEY `ix_delivery_comando` (`Comando`)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

-- Items of a delivery order.
CREATE TABLE `iDelivery` (
  `idlanc`    INT           NOT NULL AUTO_INCREMENT,
  `idpedido`  INT           NOT NULL,
  `idproduto` INT           NOT NULL,
  `Qtde`      DECIMAL(15,4) NULL DEFAULT 1,
  `Obs`       VARCHAR(255)  NULL,
  `impresso`  TINYINT(1)    NOT NULL DEFAULT 0,
  `lancado`   VARCHAR(60)   NULL,
  `valor`     DECIMAL(15,4) NULL DEFAULT 0,
  PRIMARY KEY (`idlanc`),
  KEY `ix_idelivery_idpedido` (`idpedido`)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

-- Order-number counter; the next number is max(seqcomanda) + 1.
CREATE TABLE `sequencias` (
  `seqcomanda` INT NOT NULL DEFAULT 0
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

-- The physical comanda cards. status: card in use by the restaurant;
-- Ocupado: card holds an open comanda; TaxaServico 'N': no service charge.
CREATE TABLE `cadcomanda` (
  `Numero`      INT        NOT NULL,
  `status`      TINYINT(1) NOT NULL DEFAULT 1,
  `Ocupado`     TINYINT(1) NOT NULL DEFAULT 0,
  `TaxaServico` CHAR(1)    NULL DEFAULT 'S',
  PRIMARY KEY (`Numero`)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

-- ---------------------------------------------------------------------------
-- Catalog
-- ---------------------------------------------------------------------------

-- Menu items. ativo 'S' exports the item to the handhelds; preco_v2 is the
-- price inside an opening period; servico 0 counts toward the service charge.
CREATE TABLE `Produtos` (
  `codigo`       INT           NOT NULL,
  `descricao`    VARCHAR(120)  NULL,
  `descricao2`   VARCHAR(120)  NULL,
  `idgrupo`      INT           NULL,
  `preco_v`      DECIMAL(15,4) NULL DEFAULT 0,
  `preco_v2`     DECIMAL(15,4) NULL DEFAULT 0,
  `ativo`        CHAR(1)       NULL DEFAULT 'S',
  `Unidade`      VARCHAR(10)   NULL DEFAULT 'UN',
  `monitorado`   TINYINT(1)    NULL DEFAULT 0,
  `tempopreparo` INT           NULL,
  `servico`      TINYINT(1)    NULL DEFAULT 0,
  PRIMARY KEY (`codigo`),
  KEY `ix_produtos_idgrupo` (`idgrupo`)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

-- Product groups and their printers: a printer's device name, 'Não Imprimir'
-- (never printed) or, in Impressora, 'Etiqueta' (printed as labels).
CREATE TABLE `Grupos` (
  `idgrupo`            INT          NOT NULL AUTO_INCREMENT,
  `nome`               VARCHAR(60)  NULL,
  `Impressora`         VARCHAR(120) NULL DEFAULT 'Não Imprimir',
  `Impressora2`        VARCHAR(120) NULL DEFAULT '',
  `Impressoradelivery` VARCHAR(120) NULL DEFAULT 'Não Imprimir',
  PRIMARY KEY (`idgrupo`)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

-- Staff; tipo 'GARCON' marks the waiters.
CREATE TABLE `Vendedores` (
  `idvendedor` INT         NOT NULL AUTO_INCREMENT,
  `nome`       VARCHAR(60) NULL,
  `senha`      VARCHAR(20) NULL,
  `tipo`       VARCHAR(20) NULL,
  PRIMARY KEY (`idvendedor`)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

-- Named quantities of a product ("Meia" = 0.5).
CREATE TABLE `Cadqtde` (
  `idqtde`    INT           NOT NULL AUTO_INCREMENT,
  `codigo`    INT           NOT NULL,
  `Descricao` VARCHAR(60)   NOT NULL,
  `Qtde`      DECIMAL(15,4) NOT NULL DEFAULT 1,
  PRIMARY KEY (`idqtde`),
  KEY `ix_cadqtde_codigo` (`codigo`, `Descricao`)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

-- Preparation remarks of a product, with an optional price.
CREATE TABLE `observacoes` (
  `idobs`     INT           NOT NULL AUTO_INCREMENT,
  `codigo`    INT           NOT NULL,
  `descricao` VARCHAR(120)  NULL,
  `valor`     DECIMAL(15,4) NULL DEFAULT 0,
  PRIMARY KEY (`idobs`),
  KEY `ix_observacoes_codigo` (`codigo`)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

-- Customers. Veiculos and idCond link a customer to a comanda's name.
CREATE TABLE `Clientes` (
  `codigo`   INT          NOT NULL AUTO_INCREMENT,
  `Nome`     VARCHAR(100) NULL,
  `Endereco` VARCHAR(150) NULL,
  `Telefone` VARCHAR(30)  NULL,
  `bairro`   VARCHAR(60)  NULL,
  `Veiculos` VARCHAR(60)  NULL,
  `idCond`   INT          NULL,
  PRIMARY KEY (`codigo`)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

-- Key-value settings of the order system.
CREATE TABLE `Config` (
  `Variavel` VARCHAR(60)  NOT NULL,
  `Valor`    VARCHAR(255) NULL,
  PRIMARY KEY (`Variavel`)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

-- Opening periods: the time of day of horainicial/horafinal (on 2012/01/01)
-- for the weekday named in diaSemana.
CREATE TABLE `Horarios` (
  `idhorario`   INT         NOT NULL AUTO_INCREMENT,
  `horainicial` DATETIME    NULL,
  `horafinal`   DATETIME    NULL,
  `ativo`       TINYINT(1)  NOT NULL DEFAULT 1,
  `diaSemana`   VARCHAR(20) NULL,
  PRIMARY KEY (`idhorario`)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

-- ---------------------------------------------------------------------------
-- Logs and history
-- ---------------------------------------------------------------------------

CREATE TABLE `Logs` (
  `idlog`    INT         NOT NULL AUTO_INCREMENT,
  `log`      TEXT        NULL,
  `DataHora` DATETIME    NULL,
  `Usuario`  VARCHAR(60) NULL,
  `Tipo`     VARCHAR(30) NULL,
  PRIMARY KEY (`idlog`)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

-- One row per printed kitchen item; debug tells which printing path wrote it.
CREATE TABLE `LogImp` (
  `idlogimp`   INT          NOT NULL AUTO_INCREMENT,
  `Produto`    VARCHAR(200) NULL,
  `Impressora` VARCHAR(200) NULL,
  `Comanda`    INT          NULL,
  `debug`      INT          NULL,
  `DataHora`   DATETIME     NULL DEFAULT CURRENT_TIMESTAMP,
  PRIMARY KEY (`idlogimp`)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

-- Received comandas. A receipt that failed half-way is copied again by the
-- next attempt, so the copied keys (idLanc, Comanda) are not unique here.
CREATE TABLE `mcomanda` (
  `idmcomanda` INT           NOT NULL AUTO_INCREMENT,
  `idPedido`   INT           NULL,
  `idCliente`  INT           NULL,
  `Garcon`     VARCHAR(60)   NULL,
  `Comanda`    INT           NULL,
  `Ocupantes`  INT           NULL,
  `Desconto`   DECIMAL(15,4) NULL,
  `Inicio`     DATETIME      NULL,
  `Final`      DATETIME      NULL,
  `Valor`      DECIMAL(15,4) NULL,
  `ValorPg`    DECIMAL(15,4) NULL,
  `Couvert`    DECIMAL(15,4) NULL,
  `Servico`    DECIMAL(15,4) NULL,
  `Fechamento` DATETIME      NULL,
  `idLanc`     INT           NULL,
  `Status`     INT           NULL,
  `PG`         TINYINT(1)    NULL DEFAULT 0,
  `Obs`        VARCHAR(200)  NULL,
  `Mesa`       INT           NULL,
  `Vendedor`   VARCHAR(60)   NULL,
  `Caixa`      VARCHAR(60)   NULL,
  PRIMARY KEY (`idmcomanda`),
  KEY `ix_mcomanda_idpedido` (`idPedido`)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

CREATE TABLE `mitemcomanda` (
  `idmitem`     INT           NOT NULL AUTO_INCREMENT,
  `idPedido`    INT           NULL,
  `Comanda`     INT           NULL,
  `idProduto`   INT           NULL,
  `qtde`        DECIMAL(15,4) NULL,
  `Valor`       DECIMAL(15,4) NULL,
  `Custo`       DECIMAL(15,4) NULL,
  `desconto`    DECIMAL(15,4) NULL,
  `Unidade`     VARCHAR(10)   NULL,
  `OBS`         VARCHAR(255)  NULL,
  `idLanc`      INT           NULL,
  `DataHora`    DATETIME      NULL,
  `DataHoraFim` DATETIME      NULL,
  `Lancado`     VARCHAR(60)   NULL,
  PRIMARY KEY (`idmitem`),
  KEY `ix_mitemcomanda_idpedido` (`idPedido`)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

-- Payments of received comandas; idcond 998 with tipo DINHEIRO marks an
-- automatic receipt.
CREATE TABLE `mPagamentos` (
  `idmpagamento` INT           NOT NULL AUTO_INCREMENT,
  `Pedido`       INT           NULL,
  `idcond`       INT           NULL,
  `tipo`         VARCHAR(30)   NULL,
  `valor`        DECIMAL(15,4) NULL,
  PRIMARY KEY (`idmpagamento`),
  KEY `ix_mpagamentos_pedido` (`Pedido`)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;
