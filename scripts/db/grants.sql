-- The database user VareloSync connects as (config.ini, section [Varelo]:
-- Usuario and Senha), with exactly the rights the program needs: it reads the
-- catalog, reads and writes the working tables, and adds to the log and
-- history tables. Nothing else: no other table, no DROP, no GRANT.
--
-- Run it as the server's administrator, the password set first:
--
--   mariadb --init-command="SET @senha='a long password'" < scripts/db/grants.sql
--
-- The user is 'varelosync' for the program on the server's own PC (localhost
-- and 127.0.0.1). Set @usuario for another name, and @maquina to the address
-- of the program's PC when the server is on another one. Run it again to
-- change the password: the rights are set from nothing each time.
DELIMITER //
BEGIN NOT ATOMIC
  DECLARE maquinas TEXT DEFAULT IFNULL(@maquina, 'localhost,127.0.0.1');
  DECLARE i INT DEFAULT 1;
  DECLARE conta TEXT;
  IF IFNULL(@senha, '') = '' THEN
    SIGNAL SQLSTATE '45000' SET MESSAGE_TEXT = 'Defina a senha antes: SET @senha=...';
  END IF;
  WHILE i <= 1 + LENGTH(maquinas) - LENGTH(REPLACE(maquinas, ',', '')) DO
    SET conta = CONCAT(QUOTE(IFNULL(@usuario, 'varelosync')), '@',
                       QUOTE(TRIM(SUBSTRING_INDEX(SUBSTRING_INDEX(maquinas, ',', i), ',', -1))));
    EXECUTE IMMEDIATE CONCAT('CREATE USER IF NOT EXISTS ', conta);
    EXECUTE IMMEDIATE CONCAT('ALTER USER ', conta, ' IDENTIFIED BY ', QUOTE(@senha));
    EXECUTE IMMEDIATE CONCAT('REVOKE ALL PRIVILEGES, GRANT OPTION FROM ', conta);
    -- The catalog and what other clients write: read only.
    EXECUTE IMMEDIATE CONCAT('GRANT SELECT ON varelo.Produtos TO ', conta);
    EXECUTE IMMEDIATE CONCAT('GRANT SELECT ON varelo.Grupos TO ', conta);
    EXECUTE IMMEDIATE CONCAT('GRANT SELECT ON varelo.Cadqtde TO ', conta);
    EXECUTE IMMEDIATE CONCAT('GRANT SELECT ON varelo.observacoes TO ', conta);
    EXECUTE IMMEDIATE CONCAT('GRANT SELECT ON varelo.Vendedores TO ', conta);
    EXECUTE IMMEDIATE CONCAT('GRANT SELECT ON varelo.Clientes TO ', conta);
    EXECUTE IMMEDIATE CONCAT('GRANT SELECT ON varelo.Config TO ', conta);
    EXECUTE IMMEDIATE CONCAT('GRANT SELECT ON varelo.Horarios TO ', conta);
    EXECUTE IMMEDIATE CONCAT('GRANT SELECT ON varelo.pagamentos TO ', conta);
    -- The working tables: open comandas and their items, the order numbers,
    -- the comanda cards, the delivery requests.
    EXECUTE IMMEDIATE CONCAT('GRANT SELECT, INSERT, UPDATE, DELETE ON varelo.Comanda TO ', conta);
    EXECUTE IMMEDIATE CONCAT('GRANT SELECT, INSERT, UPDATE, DELETE ON varelo.ItemComanda TO ', conta);
    EXECUTE IMMEDIATE CONCAT('GRANT SELECT, UPDATE ON varelo.sequencias TO ', conta);
    EXECUTE IMMEDIATE CONCAT('GRANT SELECT, UPDATE ON varelo.cadcomanda TO ', conta);
    EXECUTE IMMEDIATE CONCAT('GRANT SELECT, UPDATE ON varelo.Delivery TO ', conta);
    EXECUTE IMMEDIATE CONCAT('GRANT SELECT, UPDATE ON varelo.iDelivery TO ', conta);
    -- Logs and history: added to, never changed. The received items are
    -- read to tell whether an inclusion was already made.
    EXECUTE IMMEDIATE CONCAT('GRANT INSERT ON varelo.Logs TO ', conta);
    EXECUTE IMMEDIATE CONCAT('GRANT INSERT ON varelo.LogImp TO ', conta);
    EXECUTE IMMEDIATE CONCAT('GRANT INSERT ON varelo.mcomanda TO ', conta);
    EXECUTE IMMEDIATE CONCAT('GRANT SELECT, INSERT ON varelo.mitemcomanda TO ', conta);
    EXECUTE IMMEDIATE CONCAT('GRANT INSERT ON varelo.mPagamentos TO ', conta);
    SET i = i + 1;
  END WHILE;
END//
DELIMITER ;
