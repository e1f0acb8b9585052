Insert into Grupos (idgrupo, nome, Impressora) values (1,'Pratos','cozinha'),(5,'Bolos','Etiqueta');
Insert into Produtos (codigo, descricao, descricao2, idgrupo, preco_v, Unidade, monitorado, tempopreparo) values
  (15,'Feijoada Ção',NULL,1,59.9,'PT',1,25),
  (40,'Bolo de Cenoura','Bolo Cenoura',5,9,'FT',0,NULL),
  (50,'Avulso','   ',NULL,3.5,'UN',NULL,0),
  (60,'Pão d\'Alho',NULL,1,7,'UN',0,5);
Insert into Cadqtde (codigo, Descricao, Qtde) values (15,'Meia',0.5);
Insert into sequencias (seqcomanda) values (41);
Insert into cadcomanda (Numero, TaxaServico) values (42,'S');
Insert into Comanda (Comanda, idpedido, Garcon, Ocupantes, Inicio, Mesa) values (42, 41, 'Ana', 2, '2024-03-05 18:02:09', 7);
Insert into ItemComanda (Comanda, idProduto, qtde, valor, impresso) values (42,15,1,59.9,1),(42,60,2,7,1);
